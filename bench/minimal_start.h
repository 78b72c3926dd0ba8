#pragma once

// The one dialog template of the minimal start program.
#define IDD_MINIMAL_START 100
