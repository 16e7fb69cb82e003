#include "analysis/search_settings.h"
