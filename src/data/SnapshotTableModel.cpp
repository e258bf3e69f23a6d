#include "data/SnapshotTableModel.h"
