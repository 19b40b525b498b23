# Windows tests that run under Wine, in both Windows builds when Wine is installed. Each runs in a
# Wine prefix of its programs' architecture (scripts/lib/wine_env.sh) and exits 77, which CTest counts
# as skipped, where this machine cannot run that architecture (a kernel without 32-bit support runs
# only x86_64). They carry the label "wine", so that `ctest -LE wine` runs the rest.
find_program(VORIVEVO_WINE NAMES wine wine64 NO_CMAKE_FIND_ROOT_PATH)
set(VORIVEVO_WINE_RUN ${PROJECT_SOURCE_DIR}/scripts/lib/wine_run.sh)

function(vorivevo_wine_test name)
  set_property(TEST ${name} APPEND PROPERTY LABELS wine)
  set_property(TEST ${name} PROPERTY SKIP_RETURN_CODE 77)
endfunction()
