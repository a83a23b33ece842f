#include "value_codec.h"
