# Installs the built library into a scratch prefix, then configures, builds and
# runs the example host against the installed CMake package.
# Expects BUILD_DIR, SOURCE_DIR and WORK_DIR.
file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR})
set(prefix ${WORK_DIR}/prefix)
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix}
  RESULT_VARIABLE rc OUTPUT_QUIET)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${rc}")
endif()
if(NOT EXISTS ${prefix}/include/NbParticleSystem600/NbParticleSystem600.h)
  message(FATAL_ERROR "umbrella header not installed")
endif()
# The schema and the authors' reference lie beside the bundled data.
foreach(doc NbParticleEffect.xsd effect-format.md)
  if(NOT EXISTS ${prefix}/share/NbParticleSystem600/${doc})
    message(FATAL_ERROR "${doc} not installed in share/NbParticleSystem600")
  endif()
endforeach()
# The example host as installed with the package.
execute_process(COMMAND ${CMAKE_COMMAND} -S ${prefix}/share/NbParticleSystem600/examples/host -B ${WORK_DIR}/host
  -DCMAKE_PREFIX_PATH=${prefix} -DCMAKE_BUILD_TYPE=Release
  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "configuring the host failed:\n${out}\n${err}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} --build ${WORK_DIR}/host
  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "building the host failed:\n${out}\n${err}")
endif()
execute_process(COMMAND ${WORK_DIR}/host/nbparticle_host
  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
message(STATUS "${out}")
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "the host failed (${rc}):\n${out}\n${err}")
endif()

# The installed tool finds the installed effects without being told where.
execute_process(COMMAND ${prefix}/bin/nbparticle render fire -o ${WORK_DIR}/fire.gif --frames 5 --size 64x48
  WORKING_DIRECTORY ${WORK_DIR} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
# It says what it wrote, and nothing else (no finding, no image missing).
if(NOT rc EQUAL 0 OR NOT err MATCHES "^wrote [^\n]*\n$")
  message(FATAL_ERROR "the installed nbparticle failed (${rc}):\n${out}\n${err}")
endif()

# The GL host, from the copy installed with the package.
set(glhost ${prefix}/share/NbParticleSystem600/examples/gl-host)
if(NOT EXISTS ${glhost}/main.cpp)
  message(FATAL_ERROR "the GL host is not installed under ${glhost}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -S ${glhost} -B ${WORK_DIR}/gl-host
  -DCMAKE_PREFIX_PATH=${prefix} -DCMAKE_BUILD_TYPE=Release
  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "configuring the GL host failed:\n${out}\n${err}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} --build ${WORK_DIR}/gl-host
  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "building the GL host failed:\n${out}\n${err}")
endif()
