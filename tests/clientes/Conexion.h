#pragma once
// What the client tests share: a data module connected to a copy of the template database,
// talking through a recorder, and a folder for the workbooks the tests write.

#include <QTemporaryDir>

#include "ConsultasPrueba.h"
#include "ImportacionBancos.h"
#include "ImportacionClientes.h"
#include "ImportacionContactos.h"
#include "ImportacionDLR.h"
#include "ImportacionDirecciones.h"
#include "ImportacionProveedores.h"
#include "ImportacionTarifas.h"
#include "LibroPrueba.h"
#include "RecordingChannel.h"
#include "TDatos.h"
#include "TempDatabase.h"

#include <ostream>

// Values in failure messages as their text.
inline void PrintTo(const QVariant& v, std::ostream* os) {
    *os << (v.isNull() ? std::string("null") : v.toString().toStdString());
}

namespace prueba {

struct Conexion {
    qd::test::TempDatabase db;
    qd::RecordingChannel canal;
    TDatos d;
    ImportacionClientes clientes{d};
    ImportacionDirecciones direcciones{d};
    ImportacionContactos contactos{d};
    ImportacionProveedores proveedores{d};
    ImportacionBancos bancos{d};
    ImportacionTarifas tarifas{d};
    ImportacionDLR dlr{d};
    QTemporaryDir dir;

    Conexion() {
        d.setCanal(&canal);
        qd::UserChannel::setCurrent(&canal);
        d.Iniciar(1, 1, db.path(), 1, QStringLiteral("SYSDBA"), QStringLiteral("masterkey"), QString(),
                  QStringLiteral("CLI"), 0, 0);
        d.Conectar();
        d.actualizarEsquema(); // the module's own procedures, as at the administrator's start-up
    }
    ~Conexion() { qd::UserChannel::setCurrent(nullptr); }

    QString libro(const QString& nombre, const QList<QVariantList>& filas) {
        const QString ruta = dir.filePath(nombre);
        qd::test::escribirLibro(ruta, filas);
        return ruta;
    }
    // The rows of a query on a connection of its own.
    QList<QVariantList> filas(const QString& sql) {
        auto a = db.attach();
        return qd::test::consultar(*a, sql);
    }
    QVariant valor(const QString& sql) { return filas(sql).value(0).value(0); }
    void ejecutar(const QString& sql) {
        auto a = db.attach();
        qd::test::ejecutar(*a, sql);
    }
};

} // namespace prueba
