#include "platform/VersionResource.h"
