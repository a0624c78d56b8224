#include "utest.h"
int utHandleWD(int, char**) { utUsageExit(CAT_WD); }
int utHandleVGA(int, char**) { utUsageExit(CAT_VGA); }
int utHandleTEMP(int, char**) { utUsageExit(CAT_TEMP); }
int utHandleVOLT(int, char**) { utUsageExit(CAT_VOLT); }
int utHandleSYS(int, char**) { utUsageExit(CAT_SYS); }
int utHandleBATT(int, char**) { utUsageExit(CAT_BATT); }
int utHandleOEM(int, char**) { utUsageExit(CAT_OEM); }
