// What the sanitizers leave out of their reports when the tests are built
// with them; without a sanitizer these functions are never called.

// Qt is not built with ThreadSanitizer, so the hand-offs inside its own
// thread pool (image conversion and painting) look like races to it: reports
// whose stack passes through Qt's libraries are left out. Likewise ALSA's
// sound-server plug-in and the server's client libraries: the hand-offs
// between their own data thread and the writer, and their own two locks,
// look like races and lock-order cycles to it.
extern "C" const char* __tsan_default_suppressions() {
  return "race:libQt6Core.so.6\n"
         "race:libQt6Gui.so.6\n"
         "race:libasound.so.2\n"
         "race:libpipewire-0.3.so.0\n"
         "race:libasound_module_pcm_pipewire.so\n"
         "race:libspa\n"
         "race:libpipewire-module-\n"
         "race:/usr/lib/x86_64-linux-gnu/pipewire-0.3/\n"
         "race:/usr/lib/x86_64-linux-gnu/spa-0.2/\n"
         "deadlock:libasound.so.2\n"
         "deadlock:libpipewire-0.3.so.0\n"
         "deadlock:libasound_module_pcm_pipewire.so\n"
         "called_from_lib:libasound_module_pcm_pipewire.so\n"
         "mutex:libspa-support.so\n"
         "called_from_lib:libpipewire-0.3.so.0\n"
         "called_from_lib:libspa-support.so\n";
}

// The system's font configuration library keeps a cache for the life of the
// process; the leak checker is told not to count it.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libfontconfig.so\n";
}
