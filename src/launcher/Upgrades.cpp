#include "launcher/Upgrades.h"
