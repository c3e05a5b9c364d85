// ThreadSanitizer reads these when the tests are built with it. Qt is not
// built with ThreadSanitizer, so the hand-offs inside its own thread pool
// (image conversion and painting) look like races to it; reports whose stack
// passes through Qt's libraries are left out. Without ThreadSanitizer the
// function is never called.
extern "C" const char* __tsan_default_suppressions() {
  return "race:libQt6Core.so.6\n"
         "race:libQt6Gui.so.6\n";
}
