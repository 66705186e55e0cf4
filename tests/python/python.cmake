# The Python module, installed into a venv in the build folder and tested with pytest; skipped
# (status 77) when the system Python lacks venv, pybind11, wheel, pytest, networkx or Python.h.
# setuptools compiles the module without the sanitizers, so a sanitized build has nothing new to
# run it against and leaves it out.
if(NOT BICUBIC_SANITIZE)
  add_test(NAME python.module
    COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/run_pytest.sh ${PROJECT_SOURCE_DIR} ${CMAKE_BINARY_DIR} $<TARGET_FILE:bicubic-check>)
  set_tests_properties(python.module PROPERTIES LABELS python SKIP_RETURN_CODE 77 TIMEOUT 900)
endif()
