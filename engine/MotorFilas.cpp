#include "MotorFilas.h"

#include <utility>

#include "UserChannel.h"

namespace qd {

MotorFilas::MotorFilas(fb::Transaction& t, UserChannel& canal, const OpcionesMotor& opciones)
    : t_(t), canal_(canal), opciones_(opciones), punto_(t.attachment(), &t), volver_(t.attachment(), &t),
      soltar_(t.attachment(), &t) {
    if (opciones_.lote < 0) opciones_.lote = 0;
    resultado_.simulado = opciones_.simular;
    // Every row runs under a savepoint, whatever the options: a row whose statement fails leaves
    // nothing of what it wrote before it.
    punto_.setSql(QStringLiteral("SAVEPOINT QD_FILA"));
    volver_.setSql(QStringLiteral("ROLLBACK TO SAVEPOINT QD_FILA"));
    soltar_.setSql(QStringLiteral("RELEASE SAVEPOINT QD_FILA ONLY"));
    // The engine holds the shared transaction in every mode: a commit-retaining of the code that
    // runs inside a row would end the row's savepoint; the engine commits after the row instead.
    hold_.emplace(t_);
}

MotorFilas::~MotorFilas() = default;

void MotorFilas::sentencia(fb::Statement& s) {
    t_.ensureStarted();
    if (!s.prepared()) s.prepare();
    s.execute();
}

void MotorFilas::empezarFila() {
    ++filas_;
    errorEnFila_ = false;
    if (enFila_) sentencia(soltar_); // a row left without filaTerminada() (its writer stopped)
    sentencia(punto_);
    enFila_ = true;
}

void MotorFilas::deshacerFila() {
    if (enFila_) sentencia(volver_);
}

void MotorFilas::errorSecundario(const QString& motivo) {
    if (errorEnFila_) return;
    errorEnFila_ = true;
    ++resultado_.filasConErrores;
    resultado_.fallidas.append({filaLibro ? filaLibro() : filas_, motivo});
}

bool MotorFilas::filaFallida(const QString& motivo) {
    if (!enFila_) return false;
    // What the row wrote before the failing statement goes too: a row is written whole or not at all.
    sentencia(volver_);
    if (!opciones_.continuar) return false;
    if (std::exchange(errorEnFila_, false)) { // the row's secondary error gives way to this one
        --resultado_.filasConErrores;
        resultado_.fallidas.removeLast();
    }
    const int fila = filaLibro ? filaLibro() : filas_;
    ++resultado_.filasConErrores;
    resultado_.fallidas.append({fila, motivo});
    canal_.incidence(QStringLiteral("Fila %1: %2").arg(fila).arg(motivo));
    return true;
}

void MotorFilas::filaRechazada(const QString& motivo) {
    if (enFila_) sentencia(volver_);
    if (std::exchange(errorEnFila_, false)) {
        --resultado_.filasConErrores;
        resultado_.fallidas.removeLast();
    }
    const int fila = filaLibro ? filaLibro() : filas_;
    ++resultado_.filasConErrores;
    resultado_.fallidas.append({fila, motivo});
    canal_.incidence(QStringLiteral("Fila %1: %2").arg(fila).arg(motivo));
}

void MotorFilas::anotarNoEscrita(const QString& motivo) {
    if (std::exchange(errorEnFila_, false)) {
        --resultado_.filasConErrores;
        resultado_.fallidas.removeLast();
    }
    ++resultado_.filasConErrores;
    resultado_.fallidas.append({filaLibro ? filaLibro() : filas_, motivo});
}

void MotorFilas::filaTerminada() {
    if (enFila_) {
        sentencia(soltar_);
        enFila_ = false;
    }
    if (opciones_.simular) return;
    ++sinGuardar_;
    if (opciones_.lote == 0 || sinGuardar_ >= opciones_.lote) guardar();
}

void MotorFilas::guardar() {
    if (!t_.active()) return;
    t_.forceCommitRetaining();
    if (opciones_.lote > 0) {
        guardadas_ += sinGuardar_;
        canal_.status(QStringLiteral("Guardadas %1 filas").arg(guardadas_));
    }
    sinGuardar_ = 0;
}

void MotorFilas::terminar() {
    enFila_ = false;
    if (!t_.active()) return;
    if (opciones_.simular)
        t_.rollback();
    else
        t_.commit();
}

void MotorFilas::terminarEnSilencio() noexcept {
    try {
        terminar();
    } catch (const std::exception&) {
    }
}

QString MotorFilas::resumen(const QString& texto) const {
    QString r = texto;
    if (opciones_.simular) r.prepend(QStringLiteral("Simulación: no se ha guardado nada.\r\n"));
    if (resultado_.filasConErrores > 0)
        r += QStringLiteral("\r\nFilas con errores: %1").arg(resultado_.filasConErrores);
    return r;
}

} // namespace qd
