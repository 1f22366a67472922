# The Windows package: dynlog-<version>-win32.zip with dynlog.exe and LIESMICH.txt, made by
# `cmake --build --preset win32 --target package`. It is portable: nothing to install.
#
# Two builds of the same sources give the same bytes: the linker writes no time stamp, the
# build folders are mapped out of the binary, and the files in the zip carry the time of
# SOURCE_DATE_EPOCH (the environment's, else the last commit's: see SourceDateEpoch.cmake).

target_compile_options(dynlog PRIVATE
  -ffile-prefix-map=${PROJECT_SOURCE_DIR}=. -ffile-prefix-map=${PROJECT_BINARY_DIR}=.)
target_link_options(dynlog PRIVATE -Wl,--no-insert-timestamp)

include(${PROJECT_SOURCE_DIR}/cmake/SourceDateEpoch.cmake)
dynlog_source_date_epoch(${PROJECT_SOURCE_DIR} DYNLOG_SOURCE_DATE_EPOCH)

# LIESMICH.txt as a Windows editor expects it: UTF-8 with its mark, lines ended by CR LF.
file(READ ${PROJECT_SOURCE_DIR}/package/LIESMICH.txt readme)
string(REPLACE "\n" "\r\n" readme "${readme}")
string(ASCII 239 187 191 utf8_mark)
file(WRITE ${PROJECT_BINARY_DIR}/package/LIESMICH.txt "${utf8_mark}${readme}")

install(TARGETS dynlog RUNTIME DESTINATION .)
install(FILES ${PROJECT_BINARY_DIR}/package/LIESMICH.txt DESTINATION .)

configure_file(${PROJECT_SOURCE_DIR}/package/fixed-file-times.cmake.in
  ${PROJECT_BINARY_DIR}/package/fixed-file-times.cmake @ONLY)
set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME dynlog)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME dynlog-${PROJECT_VERSION}-win32)
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/package)
set(CPACK_PRE_BUILD_SCRIPTS ${PROJECT_BINARY_DIR}/package/fixed-file-times.cmake)
set(CPACK_STRIP_FILES OFF)
include(CPack)
