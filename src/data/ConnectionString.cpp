#include "data/ConnectionString.h"
