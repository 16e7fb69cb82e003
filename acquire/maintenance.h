#pragma once

// The maintenance commands of the history, for a front end that offers all of them.
#include "acquire/deletion.h"
#include "acquire/manual_entry.h"
#include "acquire/rebuild.h"
#include "store/number_text.h"
