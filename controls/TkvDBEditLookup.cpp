#include "TkvDBEditLookup.h"

#include <QApplication>
#include <QDebug>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QStyle>
#include <QToolButton>

#include "CondicionPropia.h"
#include "FbError.h"
#include "TkvIBQuery.h"
#include "TkvScan.h"
#include "UserChannel.h"

namespace {

// Names of the parameters the filter line binds; unlikely to clash with a statement's own.
const QString kParTexto = QStringLiteral("KVTEXTOBUSQUEDA");
const QString kParMayusculas = QStringLiteral("KVTEXTOBUSQUEDAMAY");
const QString kParMinusculas = QStringLiteral("KVTEXTOBUSQUEDAMIN");
const QString kParGrupo = QStringLiteral("KVVALORGRUPOEMPRESAS");

// A LIKE pattern travels as a long text, so a pattern longer than the column is no error.
QString patron(const QString& parametro) {
    return QStringLiteral("CAST(:%1 AS VARCHAR(1024))").arg(parametro);
}

QString textoError(const std::exception& e) {
    if (const auto* fb = dynamic_cast<const qd::fb::Error*>(&e)) return fb->message();
    if (const auto* ds = dynamic_cast<const qd::DataSetError*>(&e)) return ds->text();
    return QString::fromLocal8Bit(e.what());
}

QString recortarDerecha(QString s) {
    while (!s.isEmpty() && s.back() == QLatin1Char(' '))
        s.chop(1);
    return s;
}

TkvRxMemoryData::FieldType tipoDeValor(const QVariant& v) {
    using T = TkvRxMemoryData::FieldType;
    switch (v.metaType().id()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::Short:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
        return T::Integer;
    case QMetaType::Double:
    case QMetaType::Float:
        return T::Float;
    case QMetaType::Bool:
        return T::Boolean;
    case QMetaType::QDateTime:
    case QMetaType::QDate:
        return T::DateTime;
    default:
        return T::String;
    }
}

bool esTeclaFuncion(int tecla) {
    return tecla >= Qt::Key_F1 && tecla <= Qt::Key_F12;
}

} // namespace

TkvDBEditLookup::TkvDBEditLookup(QWidget* parent)
    : QLineEdit(parent), resultado_(std::make_unique<TkvRxMemoryData>()), boton_(new QToolButton(this)) {
    boton_->setObjectName(QStringLiteral("boton"));
    boton_->setCursor(Qt::ArrowCursor);
    boton_->setFocusPolicy(Qt::NoFocus);
    boton_->setIcon(style()->standardIcon(QStyle::SP_FileDialogContentsView));
    boton_->setAutoRaise(false);
    connect(boton_, &QToolButton::clicked, this, [this] {
        setFocus(Qt::OtherFocusReason);
        if (baseConectada() && !sql_.isEmpty()) abrirBusqueda(0);
        if (OnButtonClick) OnButtonClick(*this);
        setFocus(Qt::OtherFocusReason);
    });
    resize(135, sizeHint().height());
    colocarBoton();
    connect(this, &QLineEdit::textChanged, this, [this](const QString& texto) {
        // Another text than the row taken from the search window: that row no longer counts.
        if (elegidaEnVentana_ && texto != codigoResuelto_) {
            elegidaEnVentana_ = false;
            cargado_ = false;
        }
        if (resuelto_ && texto != codigoResuelto_) ponerResuelto(false);
    });
}

TkvDBEditLookup::~TkvDBEditLookup() {
    resaltarEtiquetas(false);
}

void TkvDBEditLookup::setDataBase(qd::fb::Attachment* db, qd::fb::Transaction* tr) {
    db_ = db;
    tr_ = tr;
}

bool TkvDBEditLookup::baseConectada() const {
    return db_ != nullptr && tr_ != nullptr && db_->connected();
}

void TkvDBEditLookup::setSQL(const QStringList& lineas) {
    if (lineas == sql_) return;
    sql_ = lineas;
}

QVariant* TkvDBEditLookup::ParamByName(const QString& Valor) {
    for (auto it = parametros_.begin(); it != parametros_.end(); ++it)
        if (it.key().compare(Valor, Qt::CaseInsensitive) == 0) return &it.value();
    avisar(QStringLiteral("Error en ParamByName\r\n") +
           QStringLiteral("Parameter '%1' not found").arg(Valor));
    return nullptr;
}

void TkvDBEditLookup::setOpcionesBusqueda(TOpciones opciones) {
    if (opciones.testFlag(Filtrar_por_Grupo_de_Empresas) && opciones.testFlag(Filtrar_por_Empresa))
        opciones &= ~TOpciones(Filtrar_por_Grupo_de_Empresas | Filtrar_por_Empresa);
    if (opciones.testFlag(Es_Tabla_Articulos) && opciones.testFlag(Es_Tabla_Clientes))
        opciones &= ~TOpciones(Es_Tabla_Articulos | Es_Tabla_Clientes);
    opciones_ = opciones;
}

void TkvDBEditLookup::setEtiqueta1(QLabel* etiqueta) {
    etiqueta1_ = etiqueta;
    if (etiqueta)
        connect(etiqueta, &QObject::destroyed, this, [this](QObject* ido) {
            if (etiqueta1_ == ido) etiqueta1_ = nullptr;
            if (etiqueta2_ == ido) etiqueta2_ = nullptr;
            if (!etiqueta1_ && !etiqueta2_) Etiqueta = false;
        });
}

void TkvDBEditLookup::setEtiqueta2(QLabel* etiqueta) {
    etiqueta2_ = etiqueta;
    if (etiqueta)
        connect(etiqueta, &QObject::destroyed, this, [this](QObject* ido) {
            if (etiqueta1_ == ido) etiqueta1_ = nullptr;
            if (etiqueta2_ == ido) etiqueta2_ = nullptr;
            if (!etiqueta1_ && !etiqueta2_) Etiqueta = false;
        });
}

void TkvDBEditLookup::setWidthButton(int ancho) {
    if (ancho < 1 || ancho > 74) return;
    anchoBoton_ = ancho;
    colocarBoton();
}

void TkvDBEditLookup::setSide(TSide lado) {
    lado_ = lado;
    colocarBoton();
}

void TkvDBEditLookup::setVisibleButton(bool visible) {
    botonVisible_ = visible;
    boton_->setVisible(visible);
    colocarBoton();
}

void TkvDBEditLookup::setTextButton(const QString& texto) {
    boton_->setText(texto);
    boton_->setToolButtonStyle(texto.isEmpty() ? Qt::ToolButtonIconOnly : Qt::ToolButtonTextOnly);
}

void TkvDBEditLookup::setDataSource(TkvRxMemoryData* tabla, const QString& campo) {
    tablaCampo_ = tabla;
    campo_ = campo;
    refrescarCampo();
}

void TkvDBEditLookup::refrescarCampo() {
    if (!tablaCampo_ || campo_.isEmpty() || !tablaCampo_->active() || tablaCampo_->isEmpty()) return;
    try {
        setText(tablaCampo_->value(campo_).toString());
    } catch (const std::exception&) {
    }
}

// ---------------------------------------------------------------------------------------------
// The statement of a resolution.

QString TkvDBEditLookup::columnaCodigo() const {
    if (sql_.isEmpty()) return {};
    const QString primera = sql_.first();
    if (!primera.contains(QLatin1String("SELECT "), Qt::CaseInsensitive)) return {};
    QString columna = primera.mid(7);
    const auto coma = columna.indexOf(QLatin1Char(','));
    if (coma >= 0) columna.truncate(coma);
    const auto as = columna.toUpper().indexOf(QLatin1String(" AS "));
    if (as >= 0) columna.truncate(as);
    return columna.trimmed();
}

QString TkvDBEditLookup::calificador() const {
    for (const QString& linea : sql_) {
        const auto pos = linea.indexOf(QLatin1String("FROM "), 0, Qt::CaseInsensitive);
        if (pos < 0) continue;
        const QString resto = linea.mid(pos + 5).trimmed();
        const auto espacio = resto.indexOf(QLatin1Char(' '));
        return espacio < 0 ? resto : resto.mid(espacio).trimmed();
    }
    return {};
}

TkvDBEditLookup::Sentencia TkvDBEditLookup::construirSentencia() const {
    Sentencia s;
    QStringList lineas = sql_;
    const QString codigo = columnaCodigo();
    const QString tabla = calificador();

    auto apartar = [&lineas](const QString& clave) {
        for (QString& linea : lineas) {
            if (linea.contains(clave, Qt::CaseInsensitive)) {
                QString apartada = linea;
                linea.clear();
                return apartada;
            }
        }
        return QString();
    };
    const QString grupo = apartar(QStringLiteral("GROUP "));
    QString orden = apartar(QStringLiteral("ORDER "));
    if (orden.isEmpty()) orden = QStringLiteral("ORDER BY ") + codigo;

    if (!codigo.contains(QLatin1String("MIN("), Qt::CaseInsensitive) &&
        !codigo.contains(QLatin1String("MAX("), Qt::CaseInsensitive)) {
        const bool hayWhere = encerrarCondicionPropia(lineas);
        QString filtro = hayWhere ? QStringLiteral("AND ( (") : QStringLiteral("WHERE ( (");
        filtro += codigo + QStringLiteral(" LIKE ") + patron(kParTexto) + QStringLiteral(") OR (UPPER(") +
                  codigo + QStringLiteral(") LIKE ") + patron(kParMayusculas) + QStringLiteral(") OR (") +
                  codigo + QStringLiteral(" LIKE ") + patron(kParMinusculas) + QStringLiteral(") )");
        s.conFiltro = true;
        if (opciones_.testFlag(Filtrar_por_Empresa)) {
            filtro += QStringLiteral("AND (") + tabla + QStringLiteral(".Empresa = :") + kParGrupo +
                      QLatin1Char(')');
            s.conGrupo = true;
        } else if (opciones_.testFlag(Filtrar_por_Grupo_de_Empresas)) {
            filtro += QStringLiteral("AND (") + tabla + QStringLiteral(".GrupoEmpresas = :") + kParGrupo +
                      QLatin1Char(')');
            s.conGrupo = true;
        }
        lineas << filtro;
    }
    lineas << grupo << orden;
    s.texto = lineas.join(QStringLiteral("\r\n"));
    return s;
}

QString TkvDBEditLookup::sentenciaResolucion() const {
    return construirSentencia().texto;
}

// ---------------------------------------------------------------------------------------------
// Resolution without window, copying a row, confirming.

void TkvDBEditLookup::CargarDataSetResultadoSinVentana(const QString& TextoBusqueda,
                                                       bool Ejecutar_ConfirmarCambios, bool Primero,
                                                       bool Ultimo) {
    if (!baseConectada()) return;
    if (!resolver(TextoBusqueda, false, Ejecutar_ConfirmarCambios, Primero, Ultimo) &&
        Ejecutar_ConfirmarCambios)
        ponerResuelto(false);
}

bool TkvDBEditLookup::resolver(const QString& texto, bool parcial, bool Ejecutar_ConfirmarCambios,
                               bool Primero, bool Ultimo) {
    if (!baseConectada() || sql_.isEmpty()) return false;
    cargado_ = false;
    bool encontrado = false;
    try {
        const Sentencia s = construirSentencia();
        TkvIBQuery consulta(db_, tr_, true);
        consulta.name = objectName();
        consulta.setSql(s.texto);
        for (auto it = parametros_.cbegin(); it != parametros_.cend(); ++it)
            if (consulta.hasParam(it.key())) consulta.paramByName(it.key()).setVariant(it.value());
        if (s.conFiltro) {
            const QString buscado = texto + QLatin1Char('%');
            consulta.paramByName(kParTexto).setString(buscado);
            consulta.paramByName(kParMayusculas).setString(buscado.toUpper());
            consulta.paramByName(kParMinusculas).setString(buscado.toLower());
        }
        if (s.conGrupo) consulta.paramByName(kParGrupo).setInt(ValorGrupoEmpresas);
        consulta.open();

        QString buscado = texto;
        if (Primero && !consulta.eof()) buscado = consulta.field(0).asString();
        if (Ultimo && !consulta.eof()) {
            QString ultimo;
            for (consulta.first(); !consulta.eof(); consulta.next())
                ultimo = consulta.field(0).asString();
            buscado = ultimo;
        }

        // Locate: the code equal to the text without regard to case (during completion, the
        // first code that begins with it).
        for (consulta.first(); !consulta.eof(); consulta.next()) {
            const QString codigo = recortarDerecha(consulta.field(0).asString());
            const bool coincide = parcial
                                      ? codigo.startsWith(buscado, Qt::CaseInsensitive)
                                      : codigo.compare(recortarDerecha(buscado), Qt::CaseInsensitive) == 0;
            if (!coincide) continue;
            copiarFila(consulta);
            encontrado = cargado_;
            if (Ejecutar_ConfirmarCambios && cargado_) {
                confirmarFila();
                resultado_->close();
                cargado_ = false;
            }
            break;
        }
        consulta.close();
    } catch (const std::exception& e) {
        avisar(QStringLiteral("Error al Cargar el DataSet Resultado \"Sin Ventana\":\r\n") + objectName() +
               QStringLiteral("\r\n") + textoError(e));
    }
    return encontrado;
}

void TkvDBEditLookup::copiarFila(const TkvIBQuery& consulta) {
    try {
        resultado_->close();
        resultado_->clearFields();
        for (int i = 0; i < consulta.fieldCount(); ++i) {
            const auto& campo = consulta.field(i);
            TkvRxMemoryData::FieldDef def;
            def.name = campo.name();
            def.type = tipoDeValor(campo.asVariant());
            if (def.type == TkvRxMemoryData::FieldType::String) def.size = 8190;
            resultado_->addField(def);
        }
        try {
            resultado_->open();
        } catch (const std::exception& e) {
            avisar(textoError(e));
        }
        resultado_->append();
        for (int i = 0; i < consulta.fieldCount(); ++i) {
            const auto& campo = consulta.field(i);
            resultado_->setValue(campo.name(), campo.asVariant());
        }
        resultado_->post();
        cargado_ = true;
        const QString codigo = consulta.fieldCount() > 0 ? consulta.field(0).asString() : QString();
        if (tablaCampo_ && tablaCampo_->active() && !campo_.isEmpty()) {
            if (tablaCampo_->state() == TkvRxMemoryData::State::Browse && !tablaCampo_->isEmpty())
                tablaCampo_->edit();
            if (tablaCampo_->state() == TkvRxMemoryData::State::Edit ||
                tablaCampo_->state() == TkvRxMemoryData::State::Insert)
                setText(codigo);
        } else {
            setText(codigo);
        }
    } catch (const std::exception&) {
        cargado_ = false;
    }
}

void TkvDBEditLookup::ConfirmarCambios() {
    try {
        // A row already confirmed once has been released: the text is resolved again, so a second
        // confirmation never hands the handler an empty result.
        if (!cargado_ || !resultado_->active()) resolver(text(), false, false, false, false);
        if (tablaCampo_ && tablaCampo_->active() && !campo_.isEmpty() && !text().isEmpty() &&
            (tablaCampo_->state() == TkvRxMemoryData::State::Edit ||
             tablaCampo_->state() == TkvRxMemoryData::State::Insert))
            tablaCampo_->setValue(campo_, text());
        if (cargado_ && resultado_->active())
            confirmarFila();
        else
            ponerResuelto(false); // a code that matches nothing
        resultado_->close();
    } catch (const std::exception& e) {
        ponerResuelto(false);
        avisar(QStringLiteral("Error en ConfirmarCambios\r\n") + textoError(e));
    }
}

void TkvDBEditLookup::confirmarFila() {
    if (OnConfirmarCambios) OnConfirmarCambios(*this);
    codigoResuelto_ = text();
    ponerResuelto(true);
    emit confirmarCambios();
}

void TkvDBEditLookup::abrirBusqueda(int tipoOrden) {
    if (isReadOnly()) return;
    if (abrirVentanaBusqueda) {
        abrirVentanaBusqueda(*this, tipoOrden);
        return;
    }
    TkvScan ventana(window());
    TkvScan::Ajustes a;
    a.Compras = opciones_.testFlag(Es_Compras);
    a.Articulos = opciones_.testFlag(Es_Tabla_Articulos);
    a.Clientes = opciones_.testFlag(Es_Tabla_Clientes);
    a.Repetidos = opciones_.testFlag(Incluir_Valores_Repetidos);
    a.UsarEmpresa = opciones_.testFlag(Filtrar_por_Empresa);
    a.UsarGrupoEmpresas = opciones_.testFlag(Filtrar_por_Grupo_de_Empresas);
    a.GrupoEmpresas = ValorGrupoEmpresas;
    a.TipoOrdenacion = tipoOrden;
    a.TextoSQL = sql_;
    a.FormatoCampos = FormatoCampos;
    a.OrigenFormatoCampos = OrigenFormatoCampos;
    a.TextoScan = text();
    a.CaptionVentana = Caption_Ventana;
    a.DataBase = db_;
    a.Transaccion = tr_;
    a.Parametros = parametros_;
    a.VerGrande = Ventana_Scan_Grande;
    a.Funcionamiento_Grande = Funcionamiento_Grande;
    a.ControlEnRejilla = Control_En_Rejilla;
    a.ContarRegistros = Contar_Registros_Seleccion;
    a.UsarDatosAuxiliares = opciones_.testFlag(Usar_Datos_Auxiliares);
    a.CodTarifa = Datos_Auxiliares.CodigoTarifaVentas;
    a.NombTarifa = Datos_Auxiliares.NombreTarifaVentas;
    a.CodTarifaCli = Datos_Auxiliares.CodigoTarifaCliente;
    a.NombTarifaCli = Datos_Auxiliares.NombreTarifaCliente;
    a.CodAlmacen = Datos_Auxiliares.CodigoAlmacen;
    a.NombAlmacen = Datos_Auxiliares.NombreAlmacen;
    a.Caract_Ignorar_Codigo = Caracteres_Ignorar_Busqueda_F2;
    ventana.Inicializar(a);
    if (OnBotonF6Click)
        ventana.OnF6 = [this](QWidget*, const QString& codigo) { OnBotonF6Click(*this, codigo); };
    const bool aceptada = ventana.exec() == QDialog::Accepted;
    // The focus comes back to the edit and its window.
    window()->activateWindow();
    setFocus(Qt::ActiveWindowFocusReason);
    if (!aceptada) return;
    try {
        const TkvIBQuery* fila = ventana.filaElegida();
        if (!fila) return;
        copiarFila(*fila);
        if (!cargado_) return;
        confirmarFila();
        // The row stays loaded: leaving the control does not confirm it again.
        elegidaEnVentana_ = true;
    } catch (const std::exception& e) {
        avisar(QStringLiteral("Error en ConfirmarCambios\r\n") + textoError(e));
    }
}

void TkvDBEditLookup::ponerResuelto(bool resuelto) {
    if (resuelto == resuelto_) return;
    resuelto_ = resuelto;
    if (!resuelto) codigoResuelto_.clear();
    emit resueltoCambiado(resuelto);
}

void TkvDBEditLookup::avisar(const QString& texto) const {
    if (auto* canal = qd::UserChannel::current())
        canal->message(qd::MessageKind::Error, texto);
    else
        qWarning().noquote() << texto;
}

// ---------------------------------------------------------------------------------------------
// Focus, keys, completion.

void TkvDBEditLookup::resaltarEtiquetas(bool on) {
    if (on == resaltadas_) return;
    auto aplicar = [on](QLabel* etiqueta, QColor& color, QFont& fuente) {
        if (!etiqueta) return;
        QPalette paleta = etiqueta->palette();
        if (on) {
            color = paleta.color(QPalette::WindowText);
            fuente = etiqueta->font();
            paleta.setColor(QPalette::WindowText, Qt::red);
            QFont negrita = fuente;
            negrita.setBold(true);
            etiqueta->setPalette(paleta);
            etiqueta->setFont(negrita);
        } else {
            paleta.setColor(QPalette::WindowText, color);
            etiqueta->setPalette(paleta);
            etiqueta->setFont(fuente);
        }
    };
    if (on && !Etiqueta) return;
    aplicar(etiqueta1_, colorAnterior1_, fuenteAnterior1_);
    aplicar(etiqueta2_, colorAnterior2_, fuenteAnterior2_);
    resaltadas_ = on;
}

void TkvDBEditLookup::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    // Activating the window again is not entering the control.
    if (event->reason() == Qt::ActiveWindowFocusReason || event->reason() == Qt::PopupFocusReason) return;
    contador_ = int(text().size());
    // Coming back from the search window with its row: that row is already confirmed.
    if (!elegidaEnVentana_) cargado_ = false;
    resaltarEtiquetas(true);
}

void TkvDBEditLookup::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    // A message box or another window taking the focus is not leaving the control.
    if (event->reason() == Qt::ActiveWindowFocusReason || event->reason() == Qt::PopupFocusReason) return;
    salir();
}

void TkvDBEditLookup::salir() {
    contador_ = 0;
    resaltarEtiquetas(false);
    if (!cargado_ && !text().isEmpty()) ConfirmarCambios();
    elegidaEnVentana_ = false;
}

void TkvDBEditLookup::keyPressEvent(QKeyEvent* event) {
    if (onKeyDown && event->key() != Qt::Key_Tab && event->key() != Qt::Key_Backtab) onKeyDown(event);
    if (baseConectada() && !sql_.isEmpty()) {
        const int tecla = event->key();
        if (tecla == Qt::Key_Return || tecla == Qt::Key_Enter) {
            // The focus moves on, as Tab would; the Enter itself goes no further.
            if (!focusNextChild()) salir();
            event->accept();
            return;
        }
        if (tecla == Qt::Key_Escape || tecla == Qt::Key_Up || tecla == Qt::Key_Down) {
            if (QWidget* padre = parentWidget()) {
                padre->setFocus(Qt::OtherFocusReason);
                QKeyEvent copia(event->type(), event->key(), event->modifiers(), event->text());
                QCoreApplication::sendEvent(padre, &copia);
                event->accept();
                return;
            }
        }
        if (tecla == Qt::Key_F2 || tecla == Qt::Key_F4 || tecla == Qt::Key_F5) {
            abrirBusqueda(tecla == Qt::Key_F2 ? 0 : tecla == Qt::Key_F4 ? 1 : 2);
            event->accept();
            return;
        }
    }
    QLineEdit::keyPressEvent(event);
}

void TkvDBEditLookup::keyReleaseEvent(QKeyEvent* event) {
    QLineEdit::keyReleaseEvent(event);
    if (event->isAutoRepeat() && event->key() != Qt::Key_Backspace && event->key() != Qt::Key_Delete) return;
    const int tecla = event->key();
    if (tecla == Qt::Key_Backspace || tecla == Qt::Key_Delete) {
        contador_ = cursorPosition();
        return;
    }
    if (!AutoScan) return;
    if (tecla == Qt::Key_Return || tecla == Qt::Key_Enter) {
        salir();
        return;
    }
    if (esTeclaFuncion(tecla)) return;
    // Only a key that typed something completes: modifiers, arrows and the like leave the text
    // and the count of typed characters alone.
    const QString escrito = event->text();
    if (escrito.isEmpty() || !escrito.at(0).isPrint()) return;
    completar();
}

void TkvDBEditLookup::completar() {
    if (!baseConectada() || sql_.isEmpty()) return;
    // The characters typed so far end at the caret (a typed key replaces the completed tail).
    contador_ = cursorPosition();
    const QString escrito = text().left(contador_);
    if (escrito.isEmpty()) return;
    if (resolver(escrito, true, false, false, false)) {
        const QString codigo = recortarDerecha(resultado_->value(0).toString());
        const QString completo = escrito + codigo.mid(contador_);
        setText(completo);
        setSelection(contador_, int(completo.size()) - contador_);
        cargado_ = false;
    }
}

// ---------------------------------------------------------------------------------------------
// Enabling and layout.

void TkvDBEditLookup::changeEvent(QEvent* event) {
    QLineEdit::changeEvent(event);
    if (event->type() == QEvent::EnabledChange) {
        boton_->setEnabled(isEnabled());
        contador_ = 0;
    }
}

void TkvDBEditLookup::resizeEvent(QResizeEvent* event) {
    QLineEdit::resizeEvent(event);
    colocarBoton();
}

void TkvDBEditLookup::colocarBoton() {
    const int ancho = botonVisible_ ? anchoBoton_ : 1;
    const bool plano = !hasFrame();
    const int alto = qMax(1, height() - (plano ? 2 : 4));
    const int y = plano ? 1 : 2;
    const int x = lado_ == sbRight ? width() - ancho - 2 : 2;
    boton_->setGeometry(x, y, ancho, alto);
    if (lado_ == sbRight)
        setTextMargins(0, 0, ancho + 2, 0);
    else
        setTextMargins(ancho + 2, 0, 0, 0);
}
