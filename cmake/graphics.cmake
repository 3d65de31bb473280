# Graphics fixtures: mkimages writes the test images into the build tree before the tests
# that read them (a CTest fixture, and a build dependency of those test programs).
if(NOT QV_FUZZ)
  add_executable(mkimages ${CMAKE_SOURCE_DIR}/tools/mkimages.cpp)
  target_link_libraries(mkimages PRIVATE quorvant JPEG::JPEG PkgConfig::OPENJPEG)
  set(QV_GFX_IMAGES ${CMAKE_BINARY_DIR}/tests/gfx-images)
  add_custom_command(OUTPUT ${QV_GFX_IMAGES}/stamp
    COMMAND ${CMAKE_COMMAND} -E make_directory ${QV_GFX_IMAGES}
    COMMAND mkimages ${QV_GFX_IMAGES}
    COMMAND ${CMAKE_COMMAND} -E touch ${QV_GFX_IMAGES}/stamp
    DEPENDS mkimages
    COMMENT "Writing the graphics test images")
  add_custom_target(gfx_images ALL DEPENDS ${QV_GFX_IMAGES}/stamp)
endif()

# The test programs are defined later (tests/); hook them up once they exist.
function(qv_gfx_image_dependencies)
  foreach(test_target texture_test imageload_test gltexturedata_test rendertarget_test
          renderer_test gldisplayhandler_test)
    if(TARGET ${test_target})
      add_dependencies(${test_target} gfx_images)
    endif()
  endforeach()
  if(TARGET graphics_bench)
    add_dependencies(graphics_bench gfx_images)
    target_compile_definitions(graphics_bench PRIVATE
      QV_GFX_IMAGES="${CMAKE_BINARY_DIR}/tests/gfx-images")
  endif()
endfunction()
if(NOT QV_FUZZ)
  cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL qv_gfx_image_dependencies)
endif()
