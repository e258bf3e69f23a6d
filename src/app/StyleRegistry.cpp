#include "app/StyleRegistry.h"
