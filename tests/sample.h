// The sample container that ships in samples/, built by the fixture writer.
#pragma once

#include "d88writer.h"

fixture::Bytes SampleContainer();
