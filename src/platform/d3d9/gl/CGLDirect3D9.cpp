// OpenGL backend of the Direct3D stand-in (being written).
#include <epoxy/gl.h>
