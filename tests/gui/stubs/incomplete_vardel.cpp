// A download library that lacks AbortDownload: the program must refuse it
// rather than call through a missing entry point.
#include "vardel_api/exports.h"

extern "C" {
int32_t VARDEL_API_CALL GetCOMsStatus(void) {
    return 1;
}
int32_t VARDEL_API_CALL InitDownload(char*, char*, int32_t, int32_t, int32_t, uint8_t, uint8_t,
                                     uint8_t, uint8_t) {
    return 0;
}
int32_t VARDEL_API_CALL StartDownload(int32_t) {
    return 0;
}
int64_t VARDEL_API_CALL GetDownloadStatus(int32_t) {
    return 500;
}
}
