// A widget with only its own folder's includes.
#include "widgets/other.h"
