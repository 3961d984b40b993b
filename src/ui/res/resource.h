#pragma once
#define IDI_APP 1
#define IDI_PROGRESS 2
