// SDL's audio calls back into the program through dynCall from its inline JavaScript, which
// this emscripten keeps only when a library function asks for it.
mergeInto(LibraryManager.library, {
  tarnwick_keep_dyncall__deps: ["$dynCall"],
  tarnwick_keep_dyncall: function () {},
});
