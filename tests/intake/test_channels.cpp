// The recorder and console channels, driven by a small writer loop of the kind the imports run.

#include "ConsoleChannel.h"
#include "LeerFlujo.h"
#include "RecordingChannel.h"

#include <QStringList>

#include <gtest/gtest.h>

#include <cstdio>

using qd::MessageKind;
using qd::RecordingChannel;

namespace {

// A writer in miniature: status, progress, one incidence per empty row, the per-row cancel
// check, a question, the end message. Returns the rows done.
int fakeWriter(qd::UserChannel& channel, const QStringList& rows) {
    channel.status("Importando datos de Artículos a la Base de Datos");
    channel.progressOpen(static_cast<int>(rows.size()));
    int done = 0;
    for (const QString& row : rows) {
        channel.progressStep(row);
        if (row.isEmpty()) channel.incidence(QString("Fila %1 vacía").arg(done + 2));
        ++done;
        if (channel.processEventsAndCancelled()) break;
    }
    channel.progressClose();
    if (channel.ask("¿Desea ver el resumen?"))
        channel.message(MessageKind::Information, "Proceso terminado.");
    channel.status("Proceso terminado.");
    return done;
}

using qd::test::readStream;

} // namespace

TEST(RecordingChannel, RecordsAWriterRunInOrder) {
    RecordingChannel rec;
    rec.scriptAnswers({true});
    EXPECT_EQ(fakeWriter(rec, {"A-1", "", "A-3"}), 3);
    EXPECT_EQ(
        rec.log(),
        (QStringList{"status:Importando datos de Artículos a la Base de Datos", "progress-open:3",
                     "progress-step:A-1", "events", "progress-step:", "incidence:Fila 3 vacía", "events",
                     "progress-step:A-3", "events", "progress-close", "ask:¿Desea ver el resumen?",
                     "message:information:Proceso terminado.", "status:Proceso terminado."}));
    EXPECT_EQ(rec.lastStatus(), "Proceso terminado.");
    EXPECT_EQ(rec.messages(MessageKind::Information), QStringList{"Proceso terminado."});
    EXPECT_TRUE(rec.messages(MessageKind::Warning).isEmpty());
    EXPECT_EQ(rec.incidences(), QStringList{"Fila 3 vacía"});
    EXPECT_TRUE(rec.hasIncidences());
    EXPECT_EQ(rec.progressSteps(), (QStringList{"A-1", "", "A-3"}));
    EXPECT_EQ(rec.eventsCount(), 3);
    EXPECT_FALSE(rec.progressOpenNow());

    // The script is spent: the default answer (no) skips the message.
    rec.clear();
    rec.setRecordEvents(false);
    fakeWriter(rec, {"B"});
    EXPECT_EQ(rec.log(), (QStringList{"status:Importando datos de Artículos a la Base de Datos",
                                      "progress-open:1", "progress-step:B", "progress-close",
                                      "ask:¿Desea ver el resumen?", "status:Proceso terminado."}));
}

TEST(RecordingChannel, CancelDuringTheNthRowStopsAfterThatRow) {
    RecordingChannel rec;
    bool abortar = false; // TDatos::Abortar_Proceso
    rec.bindCancelFlag(&abortar);
    rec.cancelAfterEvents(2, &abortar);
    EXPECT_EQ(fakeWriter(rec, {"1", "2", "3", "4"}), 2);
    EXPECT_TRUE(abortar);
    EXPECT_EQ(rec.progressSteps(), (QStringList{"1", "2"}));

    // A loop started without clearing the flag stops after its first row.
    EXPECT_EQ(fakeWriter(rec, {"1", "2", "3"}), 1);

    // With the recorder's own flag.
    RecordingChannel own;
    own.cancelAfterEvents(1);
    EXPECT_EQ(fakeWriter(own, {"1", "2"}), 1);
    // Without a bound flag nothing cancels.
    RecordingChannel none;
    EXPECT_EQ(fakeWriter(none, {"1", "2"}), 2);
}

TEST(ConsoleChannel, PrintsMessagesStatusProgressAndAnswers) {
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    ASSERT_TRUE(out && err);
    {
        qd::ConsoleChannel console({.answerYes = true, .progressEvery = 2}, out, err);
        EXPECT_EQ(fakeWriter(console, {"A", "", "C"}), 3);
        console.message(MessageKind::Warning, "Línea 1\r\nLínea 2");
        EXPECT_EQ(console.incidences(), QStringList{"Fila 3 vacía"});
        EXPECT_TRUE(console.hasIncidences());
        EXPECT_EQ(console.messageCount(MessageKind::Warning), 1);
    }
    EXPECT_EQ(readStream(out),
              "Importando datos de Artículos a la Base de Datos\n2/3 \n[incidencia] Fila 3 vacía\n"
              "3/3 terminado\nProceso terminado.\n");
    EXPECT_EQ(readStream(err),
              "[question] ¿Desea ver el resumen?\n[answer] sí\n[information] Proceso terminado.\n"
              "[warning] Línea 1\nLínea 2\n");
    std::fclose(out);
    std::fclose(err);

    std::FILE* out2 = std::tmpfile();
    std::FILE* err2 = std::tmpfile();
    qd::ConsoleChannel quiet({.answerYes = false, .progressEvery = 0, .quiet = true}, out2, err2);
    fakeWriter(quiet, {"A"});
    EXPECT_EQ(readStream(out2), "");
    EXPECT_EQ(readStream(err2), "[question] ¿Desea ver el resumen?\n[answer] no\n");
    std::fclose(out2);
    std::fclose(err2);
}
