# moravel_add_test(NAME SOURCES file... LIBS target... [ENV VAR=value...])
# Every test runs with a pinned environment: the C locale unless it sets its own, the offscreen
# platform for widgets, and a private HOME with XDG folders so that no test touches the
# developer's own desktop or data.
function(moravel_add_test name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;ENV;LABELS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE moravel_options Qt6::Test ${ARG_LIBS})
    target_compile_definitions(${name} PRIVATE
        MORAVEL_TEST_DATA="${PROJECT_SOURCE_DIR}/tests/data"
        MORAVEL_BINARY_DIR="${PROJECT_BINARY_DIR}")
    add_test(NAME ${name} COMMAND ${name})
    set(home "${CMAKE_CURRENT_BINARY_DIR}/home-${name}")
    # A runtime folder of its own, so that the single-instance lock of one test never refuses
    # another test running in parallel.
    set(runtime "${CMAKE_CURRENT_BINARY_DIR}/runtime-${name}")
    set_tests_properties(${name} PROPERTIES
        ENVIRONMENT_MODIFICATION
            "LANG=set:C.UTF-8;LC_ALL=set:C.UTF-8;TZ=set:Europe/Berlin;QT_QPA_PLATFORM=set:offscreen;HOME=set:${home};XDG_CONFIG_HOME=set:${home}/.config;XDG_DATA_HOME=set:${home}/.local/share;XDG_CACHE_HOME=set:${home}/.cache;XDG_RUNTIME_DIR=set:${runtime};ASAN_OPTIONS=set:detect_leaks=0"
        TIMEOUT 300)
    if(ARG_ENV)
        set_property(TEST ${name} APPEND PROPERTY ENVIRONMENT ${ARG_ENV})
    endif()
    if(ARG_LABELS)
        set_property(TEST ${name} PROPERTY LABELS ${ARG_LABELS})
    endif()
    file(MAKE_DIRECTORY "${home}" "${runtime}")
    file(CHMOD "${runtime}" DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)
endfunction()

# One library per folder; sources are the .cpp files beside the CMakeLists.
function(moravel_add_library name)
    file(GLOB sources CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/*.cpp"
         "${CMAKE_CURRENT_SOURCE_DIR}/*.h")
    add_library(${name} STATIC ${sources})
    target_include_directories(${name} PUBLIC "${PROJECT_SOURCE_DIR}/src")
    target_link_libraries(${name} PRIVATE moravel_options)
endfunction()
