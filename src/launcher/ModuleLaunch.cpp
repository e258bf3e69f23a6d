#include "launcher/ModuleLaunch.h"
