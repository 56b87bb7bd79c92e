# Third-party code built inside the project: SQLite from the amalgamation that tools/setup unpacked, and GoogleTest
# from Debian's source package.

set(sqlite_dir "${VELQUIN_DEPS}/sqlite3")
if(NOT EXISTS "${sqlite_dir}/sqlite3.c")
    message(FATAL_ERROR "SQLite is missing in ${sqlite_dir}; run tools/setup first.")
endif()
add_library(sqlite3 STATIC "${sqlite_dir}/sqlite3.c")
target_include_directories(sqlite3 SYSTEM PUBLIC "${sqlite_dir}")
target_compile_definitions(sqlite3 PRIVATE
    SQLITE_DQS=0
    SQLITE_DEFAULT_MEMSTATUS=0
    SQLITE_OMIT_LOAD_EXTENSION
    SQLITE_THREADSAFE=1
    # Under Wine a positioned ReadFile (OVERLAPPED offset) costs a server round trip per page: plain
    # SetFilePointer + ReadFile is about 16x faster there and no slower on Windows. Measured with
    # tools/bench-keyfile on a library of 100,000 documents under Wine: opening with the key check 57 -> 6 ms,
    # counting the records 146 -> 13 ms, the first list read in date order 0.27 -> 0.16 s (later reads come
    # from the page cache). Memory-mapped I/O would be faster still, but turns an I/O error on a network share
    # into a fault inside the process.
    SQLITE_WIN32_NO_OVERLAPPED)
if(CMAKE_CROSSCOMPILING)
    set_source_files_properties("${sqlite_dir}/sqlite3.c" PROPERTIES COMPILE_OPTIONS "-w")
else()
    set_source_files_properties("${sqlite_dir}/sqlite3.c" PROPERTIES COMPILE_OPTIONS "-w;-fno-sanitize=all")
    find_package(Threads REQUIRED)
    target_link_libraries(sqlite3 PUBLIC Threads::Threads ${CMAKE_DL_LIBS})
endif()

set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest "${CMAKE_BINARY_DIR}/googletest" EXCLUDE_FROM_ALL)
