#pragma once
#define IDI_APP 1
#define IDI_SPLASH 2
