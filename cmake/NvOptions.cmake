# nv::options: warnings and sanitizers for every target of ours. Linked
# PRIVATE by each target; the sanitizer flags travel with it.
add_library(nv_options INTERFACE)
add_library(nv::options ALIAS nv_options)
target_compile_options(nv_options INTERFACE -Wall -Wextra -Werror)

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
