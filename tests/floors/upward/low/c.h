#pragma once
#include "low2/d.h"
