#include "data/Command.h"
