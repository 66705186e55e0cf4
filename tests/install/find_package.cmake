# Installs the engine (component "exact") from BUILD_DIR into WORK/prefix, then configures,
# builds and runs the consumer program in CONSUMER against that prefix alone (FLAGS: compiler and
# linker flags the library's build needs in its callers, such as the sanitizers).
file(REMOVE_RECURSE ${WORK})
function(step)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
  message(STATUS "${out}")
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "failed (${status}): ${ARGN}\n${out}\n${err}")
  endif()
endfunction()
step(${CMAKE_COMMAND} --install ${BUILD_DIR} --component exact --prefix ${WORK}/prefix)
step(${CMAKE_COMMAND} -S ${CONSUMER} -B ${WORK}/build -G ${GENERATOR} -DCMAKE_BUILD_TYPE=Release
     -DCMAKE_CXX_COMPILER=${CXX_COMPILER} -DCMAKE_PREFIX_PATH=${WORK}/prefix -DCMAKE_FIND_USE_PACKAGE_REGISTRY=OFF
     "-DCMAKE_CXX_FLAGS=${FLAGS}" "-DCMAKE_EXE_LINKER_FLAGS=${FLAGS}")
step(${CMAKE_COMMAND} --build ${WORK}/build)
step(${WORK}/build/consumer)
