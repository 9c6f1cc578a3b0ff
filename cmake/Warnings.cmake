# Warnings on everywhere; our own code is kept free of them.
add_compile_options(-Wall -Wextra)
if(WIN32)
  # The shipped executable needs nothing but what Windows itself has.
  add_link_options(-static -static-libgcc -static-libstdc++)
endif()
