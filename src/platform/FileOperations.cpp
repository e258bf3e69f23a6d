#include "platform/FileOperations.h"
