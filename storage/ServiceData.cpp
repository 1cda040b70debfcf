#include "Service.h"

#include "platform/table/Table.h"

TdmService::TdmService(QObject* parent) : QObject(parent), dbBase(new Table(this))
{
    setObjectName(QStringLiteral("dmService"));
    dbBase->setObjectName(QStringLiteral("dbBase"));
}

TdmService::~TdmService() = default;

bool TdmService::CreateProjectTable(const QString& folder, const QString& fileName)
{
    dbBase->setDatabaseName(folder);
    dbBase->setTableName(fileName);
    dbBase->setActive(false); // creation needs a closed table
    dbBase->fieldDefs().clear();
    dbBase->indexDefs().clear();

    dbBase->addFieldDef(1, QStringLiteral("Event"), FieldType::String, 50, true);
    dbBase->addFieldDef(2, QStringLiteral("Start date"), FieldType::Date, 0, false);
    dbBase->addFieldDef(3, QStringLiteral("Start time"), FieldType::Time, 0, false, QStringLiteral("00:00:00"));
    dbBase->addFieldDef(4, QStringLiteral("End date"), FieldType::Date, 0, false);
    dbBase->addFieldDef(5, QStringLiteral("End time"), FieldType::Time, 0, false, QStringLiteral("23:59:59"));
    dbBase->addFieldDef(6, QStringLiteral("Document"), FieldType::Blob, 0, false);
    dbBase->addFieldDef(7, QStringLiteral("Finished"), FieldType::Date, 0, false);
    dbBase->addFieldDef(8, QStringLiteral("Cost"), FieldType::Currency, 0, false);
    dbBase->addFieldDef(9, QStringLiteral("Booked"), FieldType::Boolean, 0, false, QStringLiteral("False"));
    dbBase->addFieldDef(10, QStringLiteral("Paid"), FieldType::Boolean, 0, false, QStringLiteral("False"));
    dbBase->addFieldDef(11, QStringLiteral("Day"), FieldType::String, 10, false);

    // The unnamed primary index gives the default order: name, then start date and time.
    dbBase->addIndexDef(QString(), QStringLiteral("Event;Start date;Start time"), ixPrimary | ixUnique);
    dbBase->addIndexDef(QStringLiteral("Recno"), QStringLiteral("RecordID"), ixUnique);
    dbBase->addIndexDef(QStringLiteral("Start"), QStringLiteral("Start date;Start time"), ixNone);

    TableProperties properties;
    properties.localeId = 0;
    properties.userMajorVersion = 2;
    properties.userMinorVersion = 0;
    properties.encrypted = false;
    properties.description = QString();
    properties.indexPageSize = 4096;
    properties.blobBlockSize = 512;
    properties.lastAutoIncValue = -1; // left to the engine
    dbBase->createTable(properties);
    return true;
}
