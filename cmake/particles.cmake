# Particle tests and benchmark: the GL drawing test reads the generated graphics images.
function(qv_particle_dependencies)
  if(TARGET particledraw_test AND TARGET gfx_images)
    add_dependencies(particledraw_test gfx_images)
  endif()
endfunction()
if(NOT QV_FUZZ)
  cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL qv_particle_dependencies)
endif()
