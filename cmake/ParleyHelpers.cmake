# parley_library(NAME folder-target DEPS ... [EXCLUDE file ...]): one static
# library per source folder, from every .cpp/.h in the folder and its
# subfolders, except the subfolders that are libraries of their own (they have
# a CMakeLists.txt) and the EXCLUDE files (a program's main.cpp, say).
function(parley_library name)
    cmake_parse_arguments(ARG "" "" "DEPS;EXCLUDE" ${ARGN})
    file(GLOB_RECURSE sources CONFIGURE_DEPENDS
        ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
    foreach(file IN LISTS ARG_EXCLUDE)
        list(REMOVE_ITEM sources ${CMAKE_CURRENT_SOURCE_DIR}/${file})
    endforeach()
    file(GLOB_RECURSE nested CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*/CMakeLists.txt)
    foreach(list IN LISTS nested)
        get_filename_component(dir ${list} DIRECTORY)
        list(FILTER sources EXCLUDE REGEX "^${dir}/")
    endforeach()
    add_library(${name} STATIC ${sources})
    target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR}/src)
    target_link_libraries(${name} PUBLIC ${ARG_DEPS})
endfunction()

# parley_tests(LIBS ...): one test program per *Test.cpp in the calling folder,
# each test case registered with CTest.
function(parley_tests)
    cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
    file(GLOB tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*Test.cpp)
    file(RELATIVE_PATH folder ${CMAKE_SOURCE_DIR}/tests ${CMAKE_CURRENT_SOURCE_DIR})
    string(REPLACE "/" "_" prefix "${folder}")
    foreach(test IN LISTS tests)
        get_filename_component(base ${test} NAME_WE)
        set(target test_${prefix}_${base})
        add_executable(${target} ${test})
        set_target_properties(${target} PROPERTIES
            RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests/bin)
        target_link_libraries(${target} PRIVATE parley_test_support ${ARG_LIBS})
        gtest_discover_tests(${target} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 30
            PROPERTIES TIMEOUT 120)
    endforeach()
endfunction()

# parley_benchmark(NAME SOURCES ... LIBS ...)
function(parley_benchmark name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
    target_link_libraries(${name} PRIVATE benchmark::benchmark ${ARG_LIBS})
endfunction()

# parley_fuzzer(NAME SOURCES ... LIBS ...): a libFuzzer target (PARLEY_FUZZ=ON, clang).
function(parley_fuzzer name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/fuzz)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
    target_link_libraries(${name} PRIVATE ${ARG_LIBS})
endfunction()
