# Builds the Engine payload that the application bundle carries in
# Contents/Resources/engine-payload/. Include this file from the top-level CMakeLists.txt;
# it defines the target `engine_payload` (part of ALL) and the variable ENGINE_PAYLOAD_DIR,
# the directory that holds the three payload files once the target has run.

set(ENGINE_PAYLOAD_DIR "${CMAKE_BINARY_DIR}/engine-payload")
set(_engine_src "${CMAKE_CURRENT_LIST_DIR}")

file(GLOB_RECURSE _engine_payload_inputs CONFIGURE_DEPENDS
  "${_engine_src}/bin/*"
  "${_engine_src}/lib/*"
  "${_engine_src}/web/*"
  "${_engine_src}/corpus/*")
list(APPEND _engine_payload_inputs
  "${_engine_src}/server.js"
  "${_engine_src}/scheduler.js"
  "${_engine_src}/install.sh"
  "${_engine_src}/package.json"
  "${_engine_src}/VERSION"
  "${_engine_src}/build-payload.sh")

set(_engine_payload_outputs
  "${ENGINE_PAYLOAD_DIR}/engine-payload-arm64.tar.gz"
  "${ENGINE_PAYLOAD_DIR}/install.sh"
  "${ENGINE_PAYLOAD_DIR}/engine-payload-version.txt")

add_custom_command(
  OUTPUT ${_engine_payload_outputs}
  COMMAND bash "${_engine_src}/build-payload.sh" "${ENGINE_PAYLOAD_DIR}"
  DEPENDS ${_engine_payload_inputs}
  COMMENT "Building the Engine payload"
  VERBATIM)

add_custom_target(engine_payload ALL DEPENDS ${_engine_payload_outputs})

unset(_engine_src)
unset(_engine_payload_inputs)
unset(_engine_payload_outputs)
