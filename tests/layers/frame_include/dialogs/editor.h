// Planted fault: the frame reached by a relative path.
#include "../main_window.h"
