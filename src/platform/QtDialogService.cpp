#include "platform/QtDialogService.h"
