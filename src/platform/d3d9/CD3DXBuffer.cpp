#include "platform/d3d9/CD3DXBuffer.h"

ULONG CD3DXBuffer::Release() {
    if (refs == 0) return 0;  // released once too often: never free twice
    if (--refs > 0) return refs;
    delete this;
    return 0;
}
