# Packs the build folder as a Debian package (cpack -G DEB), unpacks it into a
# scratch root (dpkg -x), checks what it holds, then builds the example host
# against the unpacked files through pkg-config and runs it, and runs the
# unpacked tool. Expects BUILD_DIR, WORK_DIR and CPACK.
file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR})
execute_process(COMMAND ${CPACK} -G DEB -B ${WORK_DIR}/deb WORKING_DIRECTORY ${BUILD_DIR}
  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
file(GLOB debs ${WORK_DIR}/deb/*.deb)
list(LENGTH debs count)
if(NOT rc EQUAL 0 OR NOT count EQUAL 1)
  message(FATAL_ERROR "cpack -G DEB failed (${rc}, ${count} packages):\n${out}\n${err}")
endif()
execute_process(COMMAND dpkg-deb -f ${debs} Package Depends OUTPUT_VARIABLE fields)
if(NOT fields MATCHES "Package: nbparticlesystem600" OR NOT fields MATCHES "Depends: .*libzip")
  message(FATAL_ERROR "unexpected package fields:\n${fields}")
endif()
set(root ${WORK_DIR}/root)
execute_process(COMMAND dpkg -x ${debs} ${root} RESULT_VARIABLE rc)
set(data ${root}/usr/share/NbParticleSystem600)
foreach(f usr/bin/nbparticle usr/include/NbParticleSystem600/NbParticleSystem600.h
          usr/include/NbParticleSystem600/ZrBillboardBatch.h usr/lib/libNbParticleSystem600.so
          usr/lib/pkgconfig/NbParticleSystem600.pc usr/lib/cmake/NbParticleSystem600/NbParticleSystem600Config.cmake
          usr/share/NbParticleSystem600/particle/particle.sc usr/share/NbParticleSystem600/NbParticleEffect.xsd
          usr/share/NbParticleSystem600/effect-format.md usr/share/NbParticleSystem600/examples/host/main.cpp
          usr/share/NbParticleSystem600/examples/gl-host/main.cpp)
  if(NOT rc EQUAL 0 OR NOT EXISTS ${root}/${f})
    message(FATAL_ERROR "the package lacks ${f}")
  endif()
endforeach()

set(pc ${CMAKE_COMMAND} -E env PKG_CONFIG_PATH=${root}/usr/lib/pkgconfig pkg-config)
execute_process(COMMAND ${pc} --cflags --libs NbParticleSystem600 OUTPUT_VARIABLE flags RESULT_VARIABLE rc
  OUTPUT_STRIP_TRAILING_WHITESPACE)
execute_process(COMMAND ${pc} --variable=datadir NbParticleSystem600 OUTPUT_VARIABLE datadir
  OUTPUT_STRIP_TRAILING_WHITESPACE)
separate_arguments(flags UNIX_COMMAND "${flags}")
execute_process(COMMAND c++ -std=c++17 ${data}/examples/host/main.cpp ${flags} "-DNBPS_DATA_DIR=\"${datadir}\""
  -Wl,-rpath,${root}/usr/lib -o ${WORK_DIR}/host RESULT_VARIABLE rc2 OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0 OR NOT rc2 EQUAL 0 OR NOT EXISTS ${datadir}particle/particle.sc)
  message(FATAL_ERROR "building the host from the package failed (pkg-config ${rc}, data ${datadir}): ${flags}\n${out}\n${err}")
endif()
execute_process(COMMAND ${WORK_DIR}/host RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "the host built from the package failed (${rc}):\n${out}\n${err}")
endif()
execute_process(COMMAND ${root}/usr/bin/nbparticle info fire RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0 OR NOT err STREQUAL "")
  message(FATAL_ERROR "the packaged nbparticle failed (${rc}):\n${out}\n${err}")
endif()
