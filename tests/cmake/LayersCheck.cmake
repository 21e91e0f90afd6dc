cmake_minimum_required(VERSION 3.25)
# Run with `cmake -P`: the layer check finds a link to a later folder and passes the others.
include(${CMAKE_CURRENT_LIST_DIR}/../../cmake/TavrinLayers.cmake)

function(expect folder libraries expected)
    tavrin_layer_violations(found ${folder} ${libraries})
    if(NOT "${found}" STREQUAL "${expected}")
        message(FATAL_ERROR "${folder} linking ${libraries}: got '${found}', want '${expected}'")
    endif()
endfunction()

expect(graphics "tavrin_core;tavrin_properties;Qt6::Svg" "graphics -> tavrin_properties")
expect(core "tavrin_platform_render;tavrin_objects_ui" "core -> tavrin_objects_ui")
expect(platform "tavrin_platform_render_ui" "")
expect(objects "tavrin_graphics;tavrin_media;tavrin_options;tavrin_test_main" "")
expect(graphics "tavrin_media" "")
expect(properties "tavrin_objects;tavrin_core_ui" "")
expect(editor "tavrin_export_ui;tavrin_properties_ui" "")
expect(media "tavrin_objects;tavrin_editor_ui" "media -> tavrin_objects;media -> tavrin_editor_ui")
