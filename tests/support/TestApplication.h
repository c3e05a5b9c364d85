// The one Qt application of a test program: made on the first call and
// never destroyed, since widgets of later tests may outlive any scope.
// Later calls return the same object whatever name they pass.
#pragma once

#include <string>

template <class Application>
Application& TestApplication(const char* name) {
  static std::string stored(name);
  static int argc = 1;
  static char* argv[] = {stored.data(), nullptr};
  static Application* app = new Application(argc, argv);
  return *app;
}
