// Planted fault for the layer check: image/ reaches up into link/.
#include "link/above.h"
