# The family scripts (scripts/check-family.sh, scripts/check-family.slurm) end to end against
# the built bicubic-check; skipped when nauty or GNU parallel is missing.
add_test(NAME scripts.check_family
  COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/check_family_test.sh ${PROJECT_SOURCE_DIR} $<TARGET_FILE:bicubic-check>)
set_tests_properties(scripts.check_family PROPERTIES LABELS scripts SKIP_RETURN_CODE 77 TIMEOUT 120)
