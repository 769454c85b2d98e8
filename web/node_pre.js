// Node before version 21 has no navigator, which SDL's joystick code asks for its gamepads.
if (typeof navigator === "undefined") globalThis.navigator = {};
