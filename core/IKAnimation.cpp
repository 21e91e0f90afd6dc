#include "core/IKAnimation.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <cmath>
#include <memory>
#include <vector>

namespace {

struct TPointD {
    double X;
    double Y;
};

TPointD Bezier(const TIKTimingFunction& f, double u) {
    const double v = 1 - u;
    const double b1 = 3 * u * v * v, b2 = 3 * u * u * v, b3 = u * u * u;
    return {b1 * f.FirstPoint.X + b2 * f.SecondPoint.X + b3,
            b1 * f.FirstPoint.Y + b2 * f.SecondPoint.Y + b3};
}

double SolveBezier(const TIKTimingFunction& f, double p) {
    double lo = 0, hi = 1, u = 0.5;
    TPointD point = Bezier(f, u);
    // Bisection to within 0.0001 of p; the cap only guards control points outside 0..1.
    for (int i = 0; i < 64 && std::fabs(point.X - p) > 0.0001; ++i) {
        (p > point.X ? lo : hi) = u;
        u = (lo + hi) / 2;
        point = Bezier(f, u);
    }
    return point.Y;
}

std::function<double()>& InstalledClock() {
    static std::function<double()> clock;
    return clock;
}

double MonotonicSeconds() {
    static QElapsedTimer timer = [] {
        QElapsedTimer started;
        started.start();
        return started;
    }();
    return double(timer.nsecsElapsed()) / 1e9;
}

struct TransactionStack {
    TIKTransaction Base;
    std::vector<std::unique_ptr<TIKTransaction>> Pushed;
};

TransactionStack& Transactions() {
    static TransactionStack stack;
    return stack;
}

} // namespace

double IKTimingProgress(const TIKTimingFunction& function, double p) {
    switch (function.Kind) {
    case TIKTimingFunctionKind::fkSteps: {
        const double scaled = p * function.Steps;
        return (function.Ceil ? std::ceil(scaled) : std::floor(scaled)) / function.Steps;
    }
    case TIKTimingFunctionKind::fkCubicBezier:
        return SolveBezier(function, p);
    }
    return p;
}

double IKGetTime() {
    const auto& clock = InstalledClock();
    return clock ? clock() : MonotonicSeconds();
}

void IKSetClock(std::function<double()> clock) {
    InstalledClock() = std::move(clock);
}

TIKTransaction& TIKTransaction::Current() {
    auto& stack = Transactions();
    return stack.Pushed.empty() ? stack.Base : *stack.Pushed.back();
}

void TIKTransaction::BeginUpdate(bool enabled) {
    auto transaction = std::make_unique<TIKTransaction>();
    transaction->Enabled = enabled;
    Transactions().Pushed.push_back(std::move(transaction));
}

void TIKTransaction::EndUpdate() {
    auto& pushed = Transactions().Pushed;
    if (pushed.empty())
        throw EIKException("Invalid transaction BeginUpdate/EndUpdate pair");
    pushed.pop_back();
}

// ---- the engine ----

enum class TIKAnimationState : std::uint8_t {
    asUndefined,
    asWaiting,
    asRunning,
    asFinished,
    asStopped
};

struct TIKAnimationRec {
    double Duration = 0;
    double Delay = 0;
    // Seconds since the run began, its delay included.
    double Current = 0;
    int RepeatCount = 0;
    int CurrentRepeat = 0;
    TIKAnimationState State = TIKAnimationState::asUndefined;
    // Null once the animation has been deleted.
    TIKAnimation* Animation = nullptr;

    bool Ended() const {
        return State == TIKAnimationState::asFinished || State == TIKAnimationState::asStopped;
    }
};

class TIKAnimationEngine {
public:
    static TIKAnimationEngine& Instance() {
        static TIKAnimationEngine engine;
        return engine;
    }

    void Add(TIKAnimation* animation) {
        if (FRuns.empty())
            FSceneTime = IKGetTime();
        auto run = std::make_unique<TIKAnimationRec>();
        run->Duration = animation->Duration;
        run->Delay = animation->Delay;
        run->RepeatCount = animation->RepeatCount;
        run->Animation = animation;
        FRuns.push_back(std::move(run));
        StartTimer();
    }

    TIKAnimationRec* FindActive(const TIKAnimation* animation) const {
        for (const auto& run : FRuns)
            if (run->Animation == animation && !run->Ended())
                return run.get();
        return nullptr;
    }

    void Forget(const TIKAnimation* animation) {
        for (const auto& run : FRuns)
            if (run->Animation == animation) {
                run->Animation = nullptr;
                run->State = TIKAnimationState::asStopped;
            }
    }

    void Stop(TIKAnimationRec& run) {
        run.Animation->DoFinish();
        run.Current = run.Duration;
        run.State = TIKAnimationState::asStopped;
    }

    void Tick() {
        if (FTicking)
            return;
        FTicking = true;
        const double now = IKGetTime();
        const double delta = now - FSceneTime;
        FSceneTime = now;
        if (delta > 0) {
            const std::size_t count = FRuns.size();
            for (std::size_t i = 0; i < count; ++i)
                Advance(*FRuns[i], delta);
        }
        CleanUp();
        if (FRuns.empty() && FTimer)
            FTimer->stop();
        FTicking = false;
    }

    int Count() const { return int(FRuns.size()); }

private:
    void Advance(TIKAnimationRec& run, double delta) {
        if (run.Ended() || !run.Animation)
            return;
        if (run.State == TIKAnimationState::asUndefined && !Begin(run))
            return;
        run.Current += delta;
        if (run.State == TIKAnimationState::asWaiting && run.Current >= run.Delay) {
            run.State = TIKAnimationState::asRunning;
            run.Animation->DoStart();
        }
        if (run.State != TIKAnimationState::asRunning || !run.Animation)
            return;
        const double elapsed = run.Current - run.Delay;
        if (elapsed >= run.Duration) {
            EndCycle(run);
        } else if (run.Current > run.Delay && run.Duration > 0) {
            run.Animation->DoProcess(
                IKTimingProgress(run.Animation->TimingFunction, elapsed / run.Duration));
        }
    }

    // False when the run ended as it began (no duration).
    bool Begin(TIKAnimationRec& run) {
        run.Current = 0;
        if (run.Delay != 0) {
            run.State = TIKAnimationState::asWaiting;
            return true;
        }
        run.State = TIKAnimationState::asRunning;
        run.Animation->DoStart();
        if (std::fabs(run.Duration) > 1e-12 || !run.Animation)
            return true;
        Finish(run);
        return false;
    }

    void EndCycle(TIKAnimationRec& run) {
        if (run.RepeatCount > 0 && ++run.CurrentRepeat != run.RepeatCount) {
            run.Current = run.Delay;
            return;
        }
        Finish(run);
    }

    void Finish(TIKAnimationRec& run) {
        if (run.Animation)
            run.Animation->DoProcess(1.0);
        if (run.Animation)
            run.Animation->DoFinish();
        run.Current = run.Duration;
        if (run.State != TIKAnimationState::asStopped)
            run.State = TIKAnimationState::asFinished;
    }

    void CleanUp() {
        for (std::size_t i = FRuns.size(); i-- > 0;) {
            if (!FRuns[i]->Ended())
                continue;
            TIKAnimation* animation = FRuns[i]->Animation;
            FRuns.erase(FRuns.begin() + std::ptrdiff_t(i));
            if (animation && animation->FreeOnFinished && !FindAny(animation))
                delete animation;
        }
    }

    bool FindAny(const TIKAnimation* animation) const {
        for (const auto& run : FRuns)
            if (run->Animation == animation && !run->Ended())
                return true;
        return false;
    }

    void StartTimer() {
        if (!FTimer) {
            auto* application = QCoreApplication::instance();
            if (!application)
                return;
            FTimer = new QTimer(application);
            FTimer->setInterval(16);
            QObject::connect(FTimer, &QTimer::timeout, [] { IKAnimationTick(); });
        }
        if (!FTimer->isActive())
            FTimer->start();
    }

    std::vector<std::unique_ptr<TIKAnimationRec>> FRuns;
    double FSceneTime = 0;
    bool FTicking = false;
    QPointer<QTimer> FTimer;
};

void IKAnimationTick() {
    TIKAnimationEngine::Instance().Tick();
}

int IKAnimationRunCount() {
    return TIKAnimationEngine::Instance().Count();
}

// ---- animations ----

TIKAnimation::TIKAnimation(std::function<void()> finishProc) : OnFinishProc(std::move(finishProc)) {
    const TIKTransaction& defaults = TIKTransaction::Current();
    Duration = defaults.Duration;
    Delay = defaults.Delay;
    TimingFunction = defaults.TimingFunction;
    RepeatCount = defaults.RepeatCount;
}

TIKAnimation::~TIKAnimation() {
    TIKAnimationEngine::Instance().Forget(this);
}

void TIKAnimation::Start() {
    TIKAnimationEngine::Instance().Add(this);
}

void TIKAnimation::Stop() {
    auto& engine = TIKAnimationEngine::Instance();
    if (TIKAnimationRec* run = engine.FindActive(this))
        engine.Stop(*run);
}

bool TIKAnimation::IsRunning() const {
    return TIKAnimationEngine::Instance().FindActive(this) != nullptr;
}

void TIKAnimation::DoStart() {
    if (OnStart)
        OnStart(this);
}

void TIKAnimation::DoProcess(double normalizedTime) {
    if (OnProcess)
        OnProcess(this, normalizedTime);
}

void TIKAnimation::DoFinish() {
    if (OnFinish)
        OnFinish(this);
    if (OnFinishProc)
        OnFinishProc();
}

TIKPropertyAnimation::TIKPropertyAnimation(QObject* target, QString propertyName, TIKValue toValue,
                                           std::function<void()> finishProc)
    : TIKAnimation(std::move(finishProc)), PropertyName(std::move(propertyName)), ToValue(toValue),
      FTarget(target) {}

void TIKPropertyAnimation::DoStart() {
    TIKAnimation::DoStart();
    FromValue = IKGetValue(FTarget, PropertyName);
}

void TIKPropertyAnimation::DoProcess(double normalizedTime) {
    TIKAnimation::DoProcess(normalizedTime);
    if (FromValue.IsNull() || !FTarget)
        return;
    const TIKValue value = IKInterpolate(FromValue, ToValue, normalizedTime);
    if (!value.IsNull())
        IKSetValue(FTarget, PropertyName, value);
}
