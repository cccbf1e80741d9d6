#include "screens/RecordHandOver.h"

RecordHandOver& recordHandOver()
{
    static RecordHandOver handOver;
    return handOver;
}

void resetRecordHandOver()
{
    recordHandOver() = RecordHandOver();
}
