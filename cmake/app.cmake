# The application: its product name and version, the fonts it needs at start-up, and the
# end-to-end test's view of the built program.
set(QV_PRODUCT_NAME "quillmoor-sleuth-bureau")
set(QV_PRODUCT_VERSION "0.1.0")
target_compile_definitions(qv_platform PRIVATE
  QV_PRODUCT_NAME="${QV_PRODUCT_NAME}" QV_PRODUCT_VERSION="${QV_PRODUCT_VERSION}")

# Installed, the program finds its data in <prefix>/share/<product>: the checkout's data and
# the generated data merged into one assets folder.
if(NOT QV_FUZZ)
  install(TARGETS quillmoor RUNTIME DESTINATION bin)
  install(DIRECTORY ${CMAKE_SOURCE_DIR}/data/assets DESTINATION share/${QV_PRODUCT_NAME})
  install(DIRECTORY ${QV_GENERATED_DATA_DIR}/assets DESTINATION share/${QV_PRODUCT_NAME} OPTIONAL)
endif()

function(qv_app_dependencies)
  foreach(target quillmoor platformdata_test)
    if(TARGET ${target} AND TARGET fonts)
      add_dependencies(${target} fonts)
    endif()
  endforeach()
  if(TARGET qv_e2e_harness AND TARGET quillmoor)
    add_dependencies(qv_e2e_harness quillmoor)
    target_compile_definitions(qv_e2e_harness PRIVATE
      QV_GAME_EXECUTABLE="$<TARGET_FILE:quillmoor>")
  endif()
  if(TARGET savefaults AND TARGET quillmoor)
    add_dependencies(savefaults quillmoor)
    target_compile_definitions(savefaults PRIVATE
      QV_GAME_EXECUTABLE="$<TARGET_FILE:quillmoor>")
  endif()
  if(TARGET startup_bench AND TARGET quillmoor)
    add_dependencies(startup_bench quillmoor)
    target_compile_definitions(startup_bench PRIVATE
      QV_GAME_EXECUTABLE="$<TARGET_FILE:quillmoor>")
  endif()
endfunction()
if(NOT QV_FUZZ)
  cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL qv_app_dependencies)
endif()
