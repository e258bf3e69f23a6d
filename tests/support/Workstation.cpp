#include "Workstation.h"
