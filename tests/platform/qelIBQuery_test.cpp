#include "qelIBQuery.h"

#include <gtest/gtest.h>
