# Shared build settings for every target of our own.

set(PELLORA_WARNINGS -Wall -Wextra -Wpedantic -Werror -Wno-missing-field-initializers)

if(PELLORA_SANITIZE)
  set(PELLORA_SANITIZER_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=undefined
      -fno-omit-frame-pointer)
  if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    # clang 14 cannot emit the function-type check around coroutine frames ("Cannot
    # represent a difference across sections"); every other check stays on.
    list(APPEND PELLORA_SANITIZER_FLAGS -fno-sanitize=function)
  endif()
  add_compile_options(${PELLORA_SANITIZER_FLAGS})
  add_link_options(${PELLORA_SANITIZER_FLAGS})
endif()

# Applies our warning policy and include root to a target.
function(pellora_target_defaults target)
  target_compile_options(${target} PRIVATE ${PELLORA_WARNINGS})
  target_include_directories(${target} PUBLIC "${PROJECT_SOURCE_DIR}/src")
endfunction()

# A static library made of every .cpp directly inside `dir` (new files are picked up at
# the next build), minus EXCLUDE. Libraries of subsystems may refer to each other; static
# libraries tolerate the cycles.
function(pellora_folder_library name dir)
  cmake_parse_arguments(ARG "" "" "EXCLUDE;LINK" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS "${dir}/*.cpp")
  foreach(excluded ${ARG_EXCLUDE})
    list(FILTER sources EXCLUDE REGEX "/${excluded}$")
  endforeach()
  if(sources)
    add_library(${name} STATIC ${sources})
    pellora_target_defaults(${name})
    target_link_libraries(${name} PUBLIC ${ARG_LINK})
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE "${PROJECT_SOURCE_DIR}/src")
    target_link_libraries(${name} INTERFACE ${ARG_LINK})
  endif()
endfunction()
