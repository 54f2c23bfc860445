/* The stb_vorbis decoder itself, compiled once here as third-party C code
   (without our warning flags); everything else includes only its declarations. */
#include <stb_vorbis.h>
