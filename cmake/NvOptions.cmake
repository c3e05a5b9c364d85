# nv::options: warnings and sanitizers for every target of ours. Linked
# PRIVATE by each target; the sanitizer flags travel with it.
#
# NV_WERROR makes warnings errors. CI turns it on; it stays off by default so
# that a newer compiler's new warnings do not break a user's build.
option(NV_WERROR "Treat compiler warnings as errors" OFF)

add_library(nv_options INTERFACE)
add_library(nv::options ALIAS nv_options)
target_compile_options(nv_options INTERFACE -Wall -Wextra)
# Not in the sanitizer builds: their instrumentation at -O1 makes GCC 12
# report impossible bounds inside the standard library (a memset of 2^64
# bytes in std::vector::resize), warnings about code that is not there.
if(NV_WERROR AND NV_SANITIZE STREQUAL "")
  target_compile_options(nv_options INTERFACE -Werror)
endif()

if(NV_SANITIZE STREQUAL "address")
  target_compile_options(nv_options INTERFACE -fsanitize=address,undefined -fno-omit-frame-pointer
                                              -fno-sanitize-recover=undefined)
  target_link_options(nv_options INTERFACE -fsanitize=address,undefined)
elseif(NV_SANITIZE STREQUAL "thread")
  target_compile_options(nv_options INTERFACE -fsanitize=thread -fno-omit-frame-pointer)
  target_link_options(nv_options INTERFACE -fsanitize=thread)
elseif(NOT NV_SANITIZE STREQUAL "")
  message(FATAL_ERROR "NV_SANITIZE must be empty, 'address' or 'thread'")
endif()
