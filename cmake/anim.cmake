# Animation and mesh fixtures: anmwriter writes the ".anm", XML and ".mesh" files and the
# sprite sheets into the build tree, a build dependency of the test programs that read them.
if(NOT QV_FUZZ)
  add_executable(anmwriter ${CMAKE_SOURCE_DIR}/tools/anmwriter.cpp)
  target_link_libraries(anmwriter PRIVATE quorvant)
  set(QV_ANIM_FIXTURES ${CMAKE_BINARY_DIR}/tests/anim-fixtures)
  add_custom_command(OUTPUT ${QV_ANIM_FIXTURES}/stamp
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${QV_ANIM_FIXTURES}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${QV_ANIM_FIXTURES}
    COMMAND anmwriter ${QV_ANIM_FIXTURES}
    COMMAND ${CMAKE_COMMAND} -E touch ${QV_ANIM_FIXTURES}/stamp
    DEPENDS anmwriter
    COMMENT "Writing the animation and mesh fixtures")
  add_custom_target(anim_fixtures ALL DEPENDS ${QV_ANIM_FIXTURES}/stamp)

  # The test programs are made after this file is read.
  function(qv_anim_fixture_users)
    foreach(target animatedtexture_test model_test assetmap_test)
      if(TARGET ${target})
        add_dependencies(${target} anim_fixtures)
        target_compile_definitions(${target} PRIVATE QV_ANIM_FIXTURES="${QV_ANIM_FIXTURES}")
      endif()
    endforeach()
    # The asset lists load images and sounds too.
    if(TARGET assetmap_test AND TARGET gfx_images)
      add_dependencies(assetmap_test gfx_images)
    endif()
    if(TARGET assetmap_test AND TARGET qv_sound_fixtures)
      add_dependencies(assetmap_test qv_sound_fixtures)
    endif()
  endfunction()
  cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL qv_anim_fixture_users)
endif()
