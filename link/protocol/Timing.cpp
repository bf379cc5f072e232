#include "link/protocol/Timing.h"

#include <algorithm>
#include <cmath>

namespace
{
int Scale(int ms, double factor, int floor)
{
    return std::max(floor, static_cast<int>(std::lround(ms * factor)));
}
} // namespace

LinkTiming LinkTiming::Scaled(double delayFactor, double limitFactor) const
{
    LinkTiming t = *this;
    for (int* delay : {&t.EscapeBeforeReadMs, &t.EscapeBeforeWriteMs, &t.EscapeBeforeCommandMs, &t.PrepareMs,
                       &t.ReplySettleMs,      &t.PasswordPauseMs,     &t.BeforeRequestMs,       &t.AfterDataMs,
                       &t.ModemTypePauseMs,   &t.TimersPauseMs,       &t.BlockPauseMs,          &t.ByteGapMs,
                       &t.AckPauseMs,         &t.RestorePauseMs,      &t.ClearLogPauseMs,       &t.ResultHoldMs,
                       &t.TimerSetGapMs,      &t.AnswerPauseMs,       &t.CalibrationGapMs,      &t.CalibrationDoneMs})
        *delay = Scale(*delay, delayFactor, 0);
    for (int* limit : {&t.ReadReplyLimitMs, &t.WriteReplyLimitMs, &t.AckLimitMs, &t.DataIdleLimitMs,
                       &t.DrainStallLimitMs, &t.TcpReplyLimitMs, &t.TcpAckLimitMs, &t.TcpAnswerSettleMs})
        *limit = Scale(*limit, limitFactor, 1);
    return t;
}
