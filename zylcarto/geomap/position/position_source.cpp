#include "zylcarto/geomap/position/position_source.h"

#include <QBuffer>
#include <QFile>
#include <QGeoPositionInfo>
#include <QGeoPositionInfoSource>
#include <QNmeaPositionInfoSource>
#include <QPointer>
#include <QSaveFile>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <vector>

#include "zylcarto/exchange/gpx.h"
#include "zylcarto/exchange/nmea.h"
#include "zylcarto/geodesy/geodesic.h"
#include "zylcarto/geomap/tracks/track_store.h"
#include "zylcarto/geomap/view/host_events.h"

namespace zylcarto {

namespace {

// What a receiver's NMEA HDOP of 1 means in metres: a common figure for consumer receivers.
constexpr double UserEquivalentRangeError = 5;
constexpr double MsPerDay = 86400000;
constexpr double UnixEpoch = 25569;  // 1970-01-01 as a TDateTime

TPositionFix FixOf(const QGeoPositionInfo& Info) {
    TPositionFix Fix;
    if (!Info.isValid()) return Fix;
    const QGeoCoordinate C = Info.coordinate();
    Fix.Latitude = C.latitude();
    Fix.Longitude = C.longitude();
    if (C.type() == QGeoCoordinate::Coordinate3D) Fix.Altitude = C.altitude();
    const auto Attribute = [&Info](QGeoPositionInfo::Attribute A) {
        return Info.hasAttribute(A) ? Info.attribute(A) : std::numeric_limits<double>::quiet_NaN();
    };
    Fix.Course = Attribute(QGeoPositionInfo::Direction);
    Fix.Speed = Attribute(QGeoPositionInfo::GroundSpeed);
    Fix.Accuracy = Attribute(QGeoPositionInfo::HorizontalAccuracy);
    if (Info.timestamp().isValid()) Fix.Time = Info.timestamp().toMSecsSinceEpoch() / MsPerDay + UnixEpoch;
    return Fix;
}

// One step of a track replay: a fix, or a moment without one, after a pause.
struct TReplayStep {
    int DelayMs = 0;
    bool HasFix = false;
    TPositionFix Fix;
};

std::vector<TReplayStep> ReplaySteps(const TTrack& Track, double Speed) {
    std::vector<TReplayStep> Steps;
    double LastTime = std::numeric_limits<double>::quiet_NaN();
    for (const TTrackSegment& Seg : Track.Segments) {
        std::vector<TTrackPoint> P;
        for (TTrackPoint Point : Seg.Points)
            if (AcceptTrackPoint(Point)) P.push_back(Point);
        if (P.empty()) continue;
        if (!Steps.empty()) Steps.push_back({0, false, {}});
        for (std::size_t i = 0; i < P.size(); ++i) {
            TReplayStep S;
            S.HasFix = true;
            TPositionFix& F = S.Fix;
            F.Latitude = P[i].Latitude;
            F.Longitude = P[i].Longitude;
            F.Altitude = P[i].Elevation;
            F.Time = P[i].Time;
            F.Speed = P[i].Speed;
            const double Gap = (P[i].Time - LastTime) * MsPerDay;
            // An hour of real time at most, however slow the replay or long the gap.
            const double Delay = std::clamp((std::isfinite(Gap) ? Gap : 1000) / Speed, 0.0, 3.6e6);
            S.DelayMs = Steps.empty() ? 0 : static_cast<int>(Delay);
            const std::size_t From = i + 1 < P.size() ? i : i - std::min<std::size_t>(i, 1);
            const std::size_t To = i + 1 < P.size() ? i + 1 : i;
            if (From != To) {
                const TGeodesic G = GeodesicInverse({P[From].Latitude, P[From].Longitude}, {P[To].Latitude, P[To].Longitude});
                F.Course = To == i + 1 ? G.Azimuth1 : G.Azimuth2;
                const double Seconds = (P[To].Time - P[From].Time) * 86400;
                if (std::isnan(F.Speed) && Seconds > 0) F.Speed = G.Distance / Seconds;
            }
            LastTime = P[i].Time;
            Steps.push_back(S);
        }
    }
    return Steps;
}

bool ValidSpeed(double Speed) { return std::isfinite(Speed) && Speed > 0; }

}  // namespace

class TPositionSourcePrivate {
public:
    explicit TPositionSourcePrivate(TPositionSource& Q) : q(Q) {
        StaleTimer.setSingleShot(true);
        StaleTimer.setInterval(TPositionSource::DefaultStaleAfterMs);
        QObject::connect(&StaleTimer, &QTimer::timeout, &q, [this] {
            if (State == fsFix) SetState(fsStale);
        });
        StepTimer.setSingleShot(true);
        QObject::connect(&StepTimer, &QTimer::timeout, &q, [this] { NextStep(); });
    }

    void Connect(QGeoPositionInfoSource* Source) {
        Input = Source;
        QObject::connect(Source, &QGeoPositionInfoSource::positionUpdated, &q,
                         [this](const QGeoPositionInfo& Info) { Update(Info); });
        QObject::connect(Source, &QGeoPositionInfoSource::errorOccurred, &q,
                         [this](QGeoPositionInfoSource::Error E) { SourceError(E); });
        Source->startUpdates();
    }

    void StopInput() {
        StepTimer.stop();
        Steps.clear();
        if (Input) {
            QObject::disconnect(Input, nullptr, &q, nullptr);
            Input->stopUpdates();
        }
        Input = nullptr;
        // The replay may be stopped from within its own signal: delete it once that has returned.
        if (Nmea) Nmea.release()->deleteLater();
        if (NmeaLog) NmeaLog.release()->deleteLater();
    }

    void Update(const QGeoPositionInfo& Info) {
        const QPointer<TPositionSource> Self(&q);
        q.Feed(FixOf(Info));
        if (Self && NmeaLog && NmeaLog->atEnd()) Finished();
    }

    void SourceError(QGeoPositionInfoSource::Error E) {
        if (E == QGeoPositionInfoSource::NoError) return;
        const char* Text = E == QGeoPositionInfoSource::AccessError      ? "no access to the position source"
                           : E == QGeoPositionInfoSource::ClosedError    ? "the position source was closed"
                           : E == QGeoPositionInfoSource::UpdateTimeoutError ? "no position within the update timeout"
                                                                         : "the position source failed";
        Error(Text);
    }

    void Error(const std::string& Message) {
        const QPointer<TPositionSource> Self(&q);
        if (!SetState(fsNoFix) || !Self) return;
        if (OnError && !SurvivesCall(&q, [&, H = OnError] { H(&q, Message); })) return;
        Q_EMIT q.sourceError(QString::fromStdString(Message));
    }

    void NextStep() {
        if (Next >= Steps.size()) return Finished();
        const TReplayStep S = Steps[Next++];
        const QPointer<TPositionSource> Self(&q);
        if (S.HasFix)
            q.Feed(S.Fix);
        else
            LoseFix();
        if (!Self) return;
        if (Next < Steps.size())
            StepTimer.start(Steps[Next].DelayMs);
        else
            Finished();
    }

    void Finished() {
        StopInput();
        FireHostEvent(&q, OnFinished, &TPositionSource::replayFinished);
    }

    void LoseFix() {
        NewSegment = true;
        SetState(fsNoFix);
    }

    // False when a handler deleted the source.
    bool SetState(TFixState Value) {
        if (State == Value) return true;
        State = Value;
        return FireHostEvent(&q, OnState, &TPositionSource::fixStateChanged, Value);
    }

    TPositionSource& q;
    QPointer<QGeoPositionInfoSource> Input;
    std::unique_ptr<QBuffer> NmeaLog;
    std::unique_ptr<QNmeaPositionInfoSource> Nmea;
    std::vector<TReplayStep> Steps;
    std::size_t Next = 0;
    QTimer StepTimer, StaleTimer;
    TFixState State = fsNoFix;
    TPositionFix Last;
    bool Recording = false, NewSegment = true;
    TTrack Recorded = [] {
        TTrack T;
        T.Name = "Recorded track";
        return T;
    }();
    TPositionEvent OnPosition;
    TFixStateEvent OnState;
    TPositionErrorEvent OnError;
    TPositionNotifyEvent OnFinished;
};

TPositionSource::TPositionSource(QObject* Parent) : QObject(Parent), d(std::make_unique<TPositionSourcePrivate>(*this)) {
    qRegisterMetaType<TPositionFix>();
}

TPositionSource::~TPositionSource() { d->StopInput(); }

void TPositionSource::SetSource(QGeoPositionInfoSource* Source) {
    d->StopInput();
    if (Source) d->Connect(Source);
}

QGeoPositionInfoSource* TPositionSource::Source() const { return d->Input; }

bool TPositionSource::ReplayNmea(const QByteArray& Log, double Speed) {
    if (!ValidSpeed(Speed)) return false;
    const std::string_view Bytes(Log.constData(), static_cast<std::size_t>(Log.size()));
    if (ReadNmea(Bytes).Track.NumPoints() == 0) {
        d->Error("the log holds no fix");
        return false;
    }
    d->StopInput();
    const std::string Scaled = ScaleNmeaTimes(Bytes, Speed);
    d->NmeaLog = std::make_unique<QBuffer>();
    d->NmeaLog->setData(QByteArray::fromStdString(Scaled));
    d->NmeaLog->open(QIODevice::ReadOnly);
    d->Nmea = std::make_unique<QNmeaPositionInfoSource>(QNmeaPositionInfoSource::SimulationMode);
    d->Nmea->setUserEquivalentRangeError(UserEquivalentRangeError);
    d->Nmea->setDevice(d->NmeaLog.get());
    d->Connect(d->Nmea.get());
    return true;
}

bool TPositionSource::ReplayNmeaFile(const std::string& FileName, double Speed) {
    QFile F(QString::fromStdString(FileName));
    if (!ValidSpeed(Speed) || !F.open(QIODevice::ReadOnly)) return false;
    return ReplayNmea(F.readAll(), Speed);
}

bool TPositionSource::ReplayTrack(const TTrack& Track, double Speed) {
    if (!ValidSpeed(Speed)) return false;
    std::vector<TReplayStep> Steps = ReplaySteps(Track, Speed);
    if (Steps.empty()) return false;
    d->StopInput();
    d->Steps = std::move(Steps);
    d->Next = 0;
    d->StepTimer.start(0);
    return true;
}

bool TPositionSource::ReplayGpxFile(const std::string& FileName, double Speed) {
    QFile F(QString::fromStdString(FileName));
    if (!ValidSpeed(Speed) || !F.open(QIODevice::ReadOnly)) return false;
    const QByteArray Bytes = F.readAll();
    TGpxImport Gpx;
    try {
        Gpx = ReadGpx(std::string_view(Bytes.constData(), static_cast<std::size_t>(Bytes.size())));
    } catch (const std::exception& E) {
        d->Error(E.what());
        return false;
    }
    return !Gpx.Tracks.empty() && ReplayTrack(Gpx.Tracks.front(), Speed);
}

void TPositionSource::Stop() { d->StopInput(); }

bool TPositionSource::Replaying() const { return d->Nmea || !d->Steps.empty(); }

TFixState TPositionSource::FixState() const { return d->State; }

const TPositionFix& TPositionSource::LastFix() const { return d->Last; }

int TPositionSource::StaleAfterMs() const { return d->StaleTimer.interval(); }

void TPositionSource::SetStaleAfterMs(int Value) { d->StaleTimer.setInterval(std::max(Value, 1)); }

bool TPositionSource::Recording() const { return d->Recording; }

void TPositionSource::SetRecording(bool Value) {
    if (Value && !d->Recording) d->NewSegment = true;
    d->Recording = Value;
}

const TTrack& TPositionSource::RecordedTrack() const { return d->Recorded; }

void TPositionSource::ClearRecordedTrack() {
    d->Recorded.Segments.clear();
    d->NewSegment = true;
}

bool TPositionSource::SaveRecordedTrack(const std::string& FileName) const {
    QSaveFile F(QString::fromStdString(FileName));
    if (!F.open(QIODevice::WriteOnly)) return false;
    const std::string Gpx = WriteGpx({}, {d->Recorded});
    return F.write(Gpx.data(), static_cast<qint64>(Gpx.size())) == static_cast<qint64>(Gpx.size()) && F.commit();
}

void TPositionSource::Feed(const TPositionFix& Fix) {
    const TPositionFix Checked = CheckedFix(Fix);
    if (!Checked.HasPosition()) {
        d->LoseFix();
        return;
    }
    d->Last = Checked;
    d->StaleTimer.start();
    if (d->Recording) {
        if (d->NewSegment || d->Recorded.Segments.empty()) d->Recorded.Segments.emplace_back();
        d->NewSegment = false;
        d->Recorded.Segments.back().Points.push_back(
            {Checked.Latitude, Checked.Longitude, Checked.Altitude, Checked.Time, Checked.Speed});
    }
    if (!d->SetState(fsFix)) return;
    TPositionFix Arg = Checked;
    FireHostEvent(this, d->OnPosition, &TPositionSource::positionUpdated, Arg);
}

void TPositionSource::SetOnPositionUpdate(TPositionEvent Handler) { d->OnPosition = std::move(Handler); }

void TPositionSource::SetOnFixStateChange(TFixStateEvent Handler) { d->OnState = std::move(Handler); }

void TPositionSource::SetOnSourceError(TPositionErrorEvent Handler) { d->OnError = std::move(Handler); }

void TPositionSource::SetOnReplayFinished(TPositionNotifyEvent Handler) { d->OnFinished = std::move(Handler); }

}  // namespace zylcarto
