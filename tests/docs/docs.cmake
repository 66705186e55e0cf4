# The commands of README.md and docs/*.md run in a scratch clone against this build; the blocks
# marked long (whole 12+12 families) run under the label `long`. Skipped without git or nauty.
foreach(mode quick long)
  if(mode STREQUAL "long")
    set(args --long)
    set(props LABELS long TIMEOUT 1800)
  else()
    set(args "")
    set(props LABELS docs TIMEOUT 300)
  endif()
  add_test(NAME docs.${mode}
    COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/docs_test.sh ${PROJECT_SOURCE_DIR} ${PROJECT_BINARY_DIR} ${args})
  set_tests_properties(docs.${mode} PROPERTIES SKIP_RETURN_CODE 77 ${props})
  # The Python examples run in the venv that the module's test installs.
  if(TEST python.module)
    set_tests_properties(docs.${mode} PROPERTIES DEPENDS python.module)
  endif()
endforeach()
# The docs test on made-up documents: it must fail on a failing or unmarked block.
add_test(NAME docs.selftest
  COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/docs_selftest.sh ${CMAKE_CURRENT_LIST_DIR}/docs_test.sh ${PROJECT_BINARY_DIR})
set_tests_properties(docs.selftest PROPERTIES LABELS docs SKIP_RETURN_CODE 77 TIMEOUT 120)
