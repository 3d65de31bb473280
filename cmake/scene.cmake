# Scene fixtures: the demo scene as a folder of assets in the build tree: its pictures and
# resources file drawn by tools/mkdemoscene.py (Cairo and Pillow under Debian's python3), the
# committed scene file, particle script and preload list, the generated font and sound. The
# scene tests and benchmark point the file system's generated assets at it.
set(QV_DEMO_SCENE_DIR ${CMAKE_BINARY_DIR}/tests/demoscene)
set(QV_DEMO_SCENE_DATA ${CMAKE_SOURCE_DIR}/tests/data/demoscene)
if(NOT QV_FUZZ)
  find_program(QV_DEBIAN_PYTHON python3 PATHS /usr/bin NO_DEFAULT_PATH)
  if(NOT QV_DEBIAN_PYTHON)
    find_program(QV_DEBIAN_PYTHON python3)
  endif()
  execute_process(COMMAND ${QV_DEBIAN_PYTHON} -c "import cairo, PIL"
    RESULT_VARIABLE qv_demo_python_ok OUTPUT_QUIET ERROR_QUIET)
  if(NOT qv_demo_python_ok EQUAL 0)
    message(FATAL_ERROR "${QV_DEBIAN_PYTHON} lacks Cairo or Pillow "
                        "(tools/install-deps.sh installs python3-cairo and python3-pil)")
  endif()
  file(GLOB_RECURSE qv_demo_data CONFIGURE_DEPENDS ${QV_DEMO_SCENE_DATA}/*)
  set(qv_demo_font ${QV_GENERATED_DATA_DIR}/assets/fonts/arial.mvec)
  set(qv_demo_sound ${CMAKE_BINARY_DIR}/sound_fixtures/switch.ogg)
  add_custom_command(OUTPUT ${QV_DEMO_SCENE_DIR}/stamp
    COMMAND ${CMAKE_COMMAND} -E make_directory ${QV_DEMO_SCENE_DIR}/fonts ${QV_DEMO_SCENE_DIR}/audio/sfx
    COMMAND ${QV_DEBIAN_PYTHON} ${CMAKE_SOURCE_DIR}/tools/mkdemoscene.py ${QV_DEMO_SCENE_DIR}
    COMMAND ${CMAKE_COMMAND} -E copy_directory ${QV_DEMO_SCENE_DATA} ${QV_DEMO_SCENE_DIR}
    COMMAND ${CMAKE_COMMAND} -E copy ${qv_demo_font} ${QV_DEMO_SCENE_DIR}/fonts/arial.mvec
    COMMAND ${CMAKE_COMMAND} -E copy ${qv_demo_sound} ${QV_DEMO_SCENE_DIR}/audio/sfx/switch.ogg
    COMMAND ${CMAKE_COMMAND} -E touch ${QV_DEMO_SCENE_DIR}/stamp
    DEPENDS ${CMAKE_SOURCE_DIR}/tools/mkdemoscene.py ${qv_demo_data} ${qv_demo_font} ${qv_demo_sound}
    COMMENT "Putting the demo scene together")
  add_custom_target(demo_scene ALL DEPENDS ${QV_DEMO_SCENE_DIR}/stamp)
endif()

function(qv_demo_scene_users)
  foreach(target demoscene_test demoscenedraw_test wholescene_bench)
    if(TARGET ${target} AND TARGET demo_scene)
      add_dependencies(${target} demo_scene)
      target_compile_definitions(${target} PRIVATE QV_DEMO_SCENE_DIR="${QV_DEMO_SCENE_DIR}")
    endif()
  endforeach()
endfunction()
cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL qv_demo_scene_users)
