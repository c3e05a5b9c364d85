// What ThreadSanitizer leaves out of its reports for the sound-server test;
// without the sanitizer this function is never called.

// ALSA's PipeWire plug-in and the PipeWire client library are not built with
// the sanitizer: the hand-offs between their own data thread and the
// writer, and their own two locks, look like races and lock-order cycles to
// it. Reports whose stack passes through those libraries are left out.
extern "C" const char* __tsan_default_suppressions() {
  return "race:libasound.so.2\n"
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
