# Shared build settings of every Tavrin target.

find_program(CCACHE_PROGRAM ccache)
if(CCACHE_PROGRAM)
    set(CMAKE_C_COMPILER_LAUNCHER ${CCACHE_PROGRAM})
    set(CMAKE_CXX_COMPILER_LAUNCHER ${CCACHE_PROGRAM})
endif()

if(NOT CMAKE_BUILD_TYPE AND NOT CMAKE_CONFIGURATION_TYPES)
    set(CMAKE_BUILD_TYPE RelWithDebInfo CACHE STRING "Build type" FORCE)
endif()

# Compile options and include root that every Tavrin target takes.
add_library(tavrin_options INTERFACE)
target_include_directories(tavrin_options INTERFACE ${PROJECT_SOURCE_DIR})
target_compile_options(tavrin_options INTERFACE -Wall -Wextra -Wno-missing-field-initializers)
target_compile_definitions(tavrin_options INTERFACE QT_NO_KEYWORDS
                           TAVRIN_VERSION_STRING="${PROJECT_VERSION}")
if(TAVRIN_WERROR)
    target_compile_options(tavrin_options INTERFACE -Werror)
endif()
if(TAVRIN_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer
                        -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
endif()

# tavrin_library(<name> [WIDGETS] SOURCES ... [LIBS ...])
# A static library of one source folder. Engine libraries must not take WIDGETS; the forms
# and frames of a folder build into a separate library that does.
function(tavrin_library name)
    cmake_parse_arguments(ARG "WIDGETS" "" "SOURCES;LIBS" ${ARGN})
    add_library(${name} STATIC ${ARG_SOURCES})
    set_target_properties(${name} PROPERTIES AUTOMOC ON)
    target_link_libraries(${name} PUBLIC tavrin_options ${ARG_LIBS})
    if(ARG_WIDGETS)
        target_link_libraries(${name} PUBLIC Qt6::Widgets)
    endif()
endfunction()

# tavrin_test(<name> SOURCES ... [LIBS ...] [LABELS ...] [XVFB])
# A GoogleTest executable registered with CTest, test by test and whole (label "whole"). Tests run
# on Qt's offscreen platform unless XVFB is given: those need the real X server that
# scripts/test starts.
function(tavrin_test name)
    cmake_parse_arguments(ARG "XVFB" "" "SOURCES;LIBS;LABELS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    set_target_properties(${name} PROPERTIES AUTOMOC ON)
    target_link_libraries(${name} PRIVATE tavrin_options tavrin_test_main ${ARG_LIBS})
    set(env "QT_QPA_PLATFORM=offscreen")
    set(labels ${ARG_LABELS})
    if(ARG_XVFB)
        set(env "QT_QPA_PLATFORM=xcb")
        list(APPEND labels xvfb)
    endif()
    gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST
                         PROPERTIES ENVIRONMENT "${env}" LABELS "${labels}")
    # The whole executable once in one process as well: state that one test leaves behind
    # (installed hooks, contexts, settings) then breaks a later one instead of going unseen.
    add_test(NAME ${name}.whole COMMAND ${name})
    set_tests_properties(${name}.whole PROPERTIES ENVIRONMENT "${env}" LABELS "${labels};whole")
endfunction()

# tavrin_bench(<name> SOURCES ... [LIBS ...])
function(tavrin_bench name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE tavrin_options benchmark::benchmark ${ARG_LIBS})
endfunction()

# tavrin_folder(<folder> [LIBS ...] [UI_LIBS ...])
# The libraries of one source folder (or platform layer): the engine library from
# <folder>/*.cpp and, when <folder>/ui/ holds sources, the UI library from <folder>/ui/*.cpp.
# "platform/render" gives tavrin_platform_render (and tavrin_platform_render_ui).
function(tavrin_folder folder)
    cmake_parse_arguments(ARG "" "" "LIBS;UI_LIBS" ${ARGN})
    string(REPLACE "/" "_" stem ${folder})
    set(dir ${PROJECT_SOURCE_DIR}/${folder})
    file(GLOB engine_sources CONFIGURE_DEPENDS ${dir}/*.cpp ${dir}/*.h)
    if(engine_sources)
        tavrin_library(tavrin_${stem} SOURCES ${engine_sources} LIBS ${ARG_LIBS})
    else()
        # A folder whose engine code has not come yet still gives its UI library a base.
        add_library(tavrin_${stem} INTERFACE)
        target_link_libraries(tavrin_${stem} INTERFACE tavrin_options ${ARG_LIBS})
    endif()
    file(GLOB ui_sources CONFIGURE_DEPENDS ${dir}/ui/*.cpp ${dir}/ui/*.h)
    if(ui_sources)
        tavrin_library(tavrin_${stem}_ui WIDGETS SOURCES ${ui_sources}
                       LIBS tavrin_${stem} ${ARG_UI_LIBS})
    endif()
endfunction()

# tavrin_folder_tests(<folder> [LIBS ...])
# tests/<folder>/*.cpp build one test executable on Qt's offscreen platform;
# tests/<folder>/xvfb/*.cpp build a second one that runs on the real X server.
function(tavrin_folder_tests folder)
    cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
    string(REPLACE "/" "_" stem ${folder})
    set(dir ${PROJECT_SOURCE_DIR}/tests/${folder})
    file(GLOB sources CONFIGURE_DEPENDS ${dir}/*.cpp ${dir}/*.h)
    if(sources)
        tavrin_test(tavrin_test_${stem} SOURCES ${sources} LIBS ${ARG_LIBS})
    endif()
    file(GLOB xvfb_sources CONFIGURE_DEPENDS ${dir}/xvfb/*.cpp ${dir}/xvfb/*.h)
    if(xvfb_sources)
        tavrin_test(tavrin_test_${stem}_xvfb XVFB SOURCES ${xvfb_sources} LIBS ${ARG_LIBS})
    endif()
endfunction()
