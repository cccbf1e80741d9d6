#include "store/SerialStore.h"
