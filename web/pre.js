// Before the program: SDL's audio calls this helper, which this emscripten does not have yet.
// Browsers start audio suspended; it is resumed at the first click, touch or key.
function autoResumeAudioContext(context, elements) {
  const targets = elements || [document, document.getElementById("canvas")];
  const resume = () => {
    if (context.state === "suspended") context.resume();
  };
  for (const event of ["keydown", "mousedown", "touchstart"]) {
    for (const target of targets) {
      if (target) target.addEventListener(event, resume, { once: true });
    }
  }
}
