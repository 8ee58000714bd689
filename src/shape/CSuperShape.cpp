// Placeholder until the supershape lands.
#include "shape/CSuperShape.h"

CSuperShape::~CSuperShape() = default;
