#include "platform/d3d9/CD3DXBuffer.h"

#ifdef _WIN32
ULONG STDMETHODCALLTYPE CD3DXBuffer::Release() {
#else
ULONG CD3DXBuffer::Release() {
#endif
    if (refs == 0) return 0;  // released once too often: never free twice
    if (--refs > 0) return refs;
    delete this;
    return 0;
}
