# Tests of the program as a user gets it: the real program under an X server,
# the installed tree and the desktop entry.

# What the core writes on a first start, to compare the program's files with.
add_executable(reference_files tests/e2e/reference_files.cpp)
target_link_libraries(reference_files PRIVATE mirukasu_core mirukasu_linked_cipher)
set_target_properties(reference_files PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
add_dependencies(reference_files mirukasu ciphrax)

add_test(NAME e2e_first_start
         COMMAND /usr/bin/python3 ${CMAKE_SOURCE_DIR}/tests/e2e/first_start.py
                 ${CMAKE_BINARY_DIR}/bin ${CMAKE_BINARY_DIR}/tests/reference_files)
set_tests_properties(e2e_first_start PROPERTIES TIMEOUT 120 SKIP_RETURN_CODE 77)

add_test(NAME install_tree
         COMMAND sh ${CMAKE_SOURCE_DIR}/tests/e2e/install_tree.sh ${CMAKE_BINARY_DIR}
                 ${MIRUKASU_PROGRAM_DIR} ${CMAKE_INSTALL_BINDIR} ${CMAKE_INSTALL_DATADIR})
set_tests_properties(install_tree PROPERTIES TIMEOUT 120 SKIP_RETURN_CODE 77)

# The validator prints hints and warnings too; any output fails the test.
add_test(NAME desktop_file
         COMMAND sh -c "command -v desktop-file-validate >/dev/null || { echo 'skipped: desktop-file-validate is not installed (scripts/setup installs desktop-file-utils)'; exit 77; }; out=$(desktop-file-validate \"$1\" 2>&1); echo \"$out\"; [ -z \"$out\" ]"
                 desktop_file ${CMAKE_SOURCE_DIR}/resources/desktop/mirukasu.desktop)
set_tests_properties(desktop_file PROPERTIES SKIP_RETURN_CODE 77)

# What software centres read: the validator's errors and warnings fail it
# (its infos, such as the id's unusual top-level domain, do not).
add_test(NAME appstream_metainfo
         COMMAND appstreamcli validate --no-net ${MIRUKASU_METAINFO})
