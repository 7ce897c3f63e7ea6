// The table data comparer: TVelmorin reads a master table and a target table
// in key order, walks both like a merge of two sorted lists and produces the
// INSERT, UPDATE and DELETE statements that make the target equal to the
// master. Each side is described by a TCmpTableOptions that the comparer
// owns.
//
// What the comparer owns: both side objects, the custom column lists, the
// message list, its copies of the target connection's option objects, the
// script options and, for one Execute, the three queries and the two output
// files (the script and the BLOB side file). The connections and the
// executor are watched, never owned.
//
// What it reports: every log line through OnLogNextLine and Messages (mkInfo),
// every error through OnErrorMessage with "Error: " in front (a message box
// without a handler), Messages (mkError) and ErrorCount. Execute answers
// False only when a set-up check or a connect failed; errors inside the run
// are reported and counted, and Execute answers True.
//
// What it guarantees: applying the produced script (with its BLOB side file)
// to the target makes the target equal to the master at the columns'
// declared precision, or the run reports an error. Each UPDATE and DELETE
// reaches exactly the row the merge paired, whatever the target's collation
// calls equal, and every DELETE comes before the INSERTs, which are held
// back until the merge ends. A row that arrives out of key order, a key that
// repeats on one side, keys of different kinds or a merge that fails
// half-way withdraw every statement of the run (immediate updates, which
// run in one transaction of the target, are rolled back); a statement whose
// BLOB value could not be saved is not produced.
#pragma once

#include "qelCmpTableOptions.h"
#include "qelComponent.h"
#include "qelDataSet.h"
#include "qelSet.h"
#include "qelStrings.h"
#include "qelTypes.h"

#include <cstdint>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace qel {

class TConnectionOptions;
class TCustomSQLExec;
class TIBVelmorinOptions;
class TMSSQLServerOptions;
class TMsgManager;
class TMySQLServerOptions;
class TQELCustomConnection;
class TQELQuery;
class TScriptOptions;
class TVelmorin;
namespace velmorin {
struct TProducedStatement;
struct TTargetColumn;
}

enum class TDataCompareOperation : std::uint8_t { dcopInsert, dcopUpdate, dcopDelete };
using TDataCompareOperations = TSet<TDataCompareOperation, 8>;

// Event types of the comparer; the sender comes first.
using TCompareFieldsEvent = std::function<int(TObject& Sender, TField& FieldM, TField& FieldT)>;
using TGetFieldsEvent = std::function<void(TObject& Sender, TStringList& FieldsM, TStringList& FieldsT)>;
using TGetDataValueEvent = std::function<void(TObject& Sender, TField& Field, std::string& aValue)>;
using TGetSQLEvent = std::function<void(TObject& Sender, TStringList& SQLM, TStringList& SQLT)>;
using TAddResultSQLEvent =
    std::function<void(TObject& Sender, bool& Accept, const std::string& aSQL, TStatType aStatType,
                       const std::string& aObjName, TDbObject aObjType, TDbOperation opType)>;
using TDataSetNotifyEvent = std::function<void(TQELQuery& DataSet)>;

class TVelmorin : public TComponent {
public:
    explicit TVelmorin(TComponent* AOwner = nullptr);
    ~TVelmorin() override;
    std::string ClassName() const override { return "TVelmorin"; }

    // ---- published ----
    // The tables as the user named them: the sides' TableName.
    const std::string& TableNameMaster() const { return m_tableOptionsMaster->TableName; }
    void SetTableNameMaster(const std::string& Value);
    const std::string& TableNameTarget() const { return m_tableOptionsTarget->TableName; }
    void SetTableNameTarget(const std::string& Value);
    // Switches ScriptOptions.GenerateScript to the opposite value.
    bool UpdateImmediately() const { return m_updateImmediately; }
    void SetUpdateImmediately(bool Value);
    bool CompareBlobs = true;
    bool IncludeBlobs = true;
    TQELCustomConnection* QELConnectionMaster() const { return m_connectionMaster; }
    void SetQELConnectionMaster(TQELCustomConnection* Value);
    TQELCustomConnection* QELConnectionTarget() const { return m_connectionTarget; }
    void SetQELConnectionTarget(TQELCustomConnection* Value);
    TCmpTableOptions& TableOptionsMaster() { return *m_tableOptionsMaster; }
    void SetTableOptionsMaster(const TCmpTableOptions& Value) { m_tableOptionsMaster->Assign(Value); }
    TCmpTableOptions& TableOptionsTarget() { return *m_tableOptionsTarget; }
    void SetTableOptionsTarget(const TCmpTableOptions& Value) { m_tableOptionsTarget->Assign(Value); }
    TStringList& CustomKeyFields() { return m_customKeyFields; }
    void SetCustomKeyFields(const TStringList& Value) { m_customKeyFields.Assign(Value); }
    TStringList& CustomDataFields() { return m_customDataFields; }
    void SetCustomDataFields(const TStringList& Value) { m_customDataFields.Assign(Value); }
    TDataCompareOperations AllowedOperations{TDataCompareOperation::dcopInsert, TDataCompareOperation::dcopUpdate,
                                             TDataCompareOperation::dcopDelete};
    TScriptOptions& ScriptOptions() { return *m_scriptOptions; }
    const TScriptOptions& ScriptOptions() const { return *m_scriptOptions; }
    void SetScriptOptions(const TScriptOptions& Value);
    // Setting it also sets BlobFileName to the same name with ".LOB".
    const std::string& ScriptFileName() const { return m_scriptFileName; }
    void SetScriptFileName(const std::string& Value);
    const std::string& BlobFileName() const { return m_blobFileName; }
    void SetBlobFileName(const std::string& Value) { m_blobFileName = Value; }
    TCustomSQLExec* SQLExec() const { return m_sqlExec; }
    void SetSQLExec(TCustomSQLExec* Value);
    TStringList& ExcludeDataFields() { return m_excludeDataFields; }
    void SetExcludeDataFields(const TStringList& Value) { m_excludeDataFields.Assign(Value); }
    bool TrimCharFields = false;
    bool IgnoreComputedFields = true;

    TLogNextLineEvent OnLogNextLine;
    TErrorMessageEvent OnErrorMessage;
    TProgressUpdateEvent OnProgressUpdateMaster;
    TProgressUpdateEvent OnProgressUpdateTarget;
    TCompareFieldsEvent OnCompareFields;
    TGetFieldsEvent OnGetKeyFields;
    TGetFieldsEvent OnGetDataFields;
    TGetFieldsEvent OnGetExcludeFields;
    TGetDataValueEvent OnGetDataValue;
    TGetSQLEvent OnGetSelectSQL;
    TGetSQLEvent OnGetCountSQL;
    TAddResultSQLEvent OnAddResultSQL;
    TDataSetNotifyEvent BeforeOpen;

    // ---- operations ----
    // One comparison. False when a set-up check or a connect failed.
    bool Execute();
    void LogNextLine(const std::string& Text);
    // "Error: " + Text to OnErrorMessage (or a message box); Text to Messages.
    void ErrorMessage(const std::string& Text);
    int GetKeyFieldCount() const;
    int GetDataFieldCount() const;
    // The target connection's server type, else the master's, else dbAbstract.
    TDatabaseType GetScriptDatabaseType() const;
    void DoProgressUpdateMaster();
    void DoProgressUpdateTarget();
    // Both SELECT texts, or OnGetSelectSQL's.
    void BuildSelectSQL(TStringList& SQLM, TStringList& SQLT);

    // The merge and its parts; they work on the queries of a running Execute.
    void MergeTables();
    void CountRows(TStringList& SQLM, TStringList& SQLT);
    void OpenSides(TStringList& SQLM, TStringList& SQLT);
    void PairMergeFields();
    void CollectTargetFields();
    void PairKeyAndDataFields();
    void WalkRows();
    void FinishMerge();
    int CompareRecords();
    // Three-way comparison of one master value with one target value
    // (OnCompareFields when assigned): numbers by value whatever their
    // types, text byte by byte, NULL after every value.
    int CompareFieldValues(TField& FieldM, TField& FieldT);
    // Byte comparison of two BLOB values; NULL reads as empty.
    int CompareBlobFields(TField& FieldM, TField& FieldT);
    void WriteInsertSQL();
    void WriteUpdateSQL();
    void WriteDeleteSQL();
    // "ID = 5 and NAME is Null" from Query's current row.
    std::string GetWhereClause(TQELQuery* Query, const TStringList& KeyList);
    void WriteScriptHeader();
    // " 2.5", "100", " 1.E20", "0.30000000000000004": the shortest form that
    // reads back as the same double.
    std::string FloatLiteral(double Value) const;
    static std::string BoolLiteral(bool Value) { return Value ? "1" : "0"; }
    // Routes one statement: OnAddResultSQL veto, immediate execution, the
    // executor and the script file. The merge's INSERTs come here after its
    // last DELETE and UPDATE.
    void AddResultSQL(const std::string& SQL, TStatType StatType, const std::string& ObjName, TDbObject ObjType,
                      TDbOperation Operation);
    // Saves the value to the BLOB side file and answers its reference.
    std::string GetBlobLiteral(TField& Field);
    // ":h" + offset + "_" + size in upper-case hexadecimal of at least eight
    // digits: (0, 300) -> ":h00000000_0000012C".
    static std::string BlobParamName(std::int64_t Offset, std::int64_t Size);

    // ---- state of the run ----
    TQELQuery* MasterQuery() const { return m_masterQuery.get(); }
    TQELQuery* TargetQuery() const { return m_targetQuery.get(); }
    TQELQuery* ExecQuery() const { return m_execQuery.get(); }
    TMsgManager& Messages() { return *m_messages; }
    TConnectionOptions& ConnectionOptions() { return *m_connectionOptions; }
    TIBVelmorinOptions& IBOptions() { return *m_IBOptions; }
    TMSSQLServerOptions& MSSQLOptions() { return *m_MSSQLOptions; }
    TMySQLServerOptions& MySQLOptions() { return *m_MySQLOptions; }

    int ProgressMaxMaster = 0;
    int ProgressMaxTarget = 0;
    int ProgressValueMaster = 0;
    int ProgressValueTarget = 0;
    bool DataDiffer = false;
    bool BlobSaveFailed = false;
    bool MasterHasBlobs = false;
    bool MasterWasConnected = false;
    bool TargetWasConnected = false;
    int Inserted = 0;
    int Updated = 0;
    int Deleted = 0;
    int Equal = 0;
    int ErrorCount = 0;

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void RunCompare();

private:
    friend class TCmpTableOptions;
    struct TMergeState;

    void ChangeWatched(TComponent* Old, TComponent* New);
    // Pairs the two sides' columns by name where a list came from a
    // catalogue, and settles one key for both sides; False after reporting
    // a column one side lacks.
    bool PairColumns();
    // PostgreSQL dates and time stamps outside the years 1 to 9999 (BC,
    // 12000, infinity), which the driver cannot hand over as dates: such a
    // data column is read as PostgreSQL's text of it on both sides when both
    // are PostgreSQL; otherwise, or in a key, the run stops naming the table,
    // the column and the row. False after reporting.
    bool CheckMomentRanges();
    // Sides of two character sets are both read and written through UTF8,
    // so equal texts compare equal; RestoreCharSets undoes it afterwards.
    void AlignCharSets();
    void RestoreCharSets();
    // PostgreSQL sessions read and write time stamps with time zone in UTC
    // for the run, so that every value is an instant whatever zone the
    // session had; RestoreTimeZones gives each its own zone back.
    void PinTimeZones();
    void RestoreTimeZones();
    // True when the target column of TargetField keeps a time zone
    // (PostgreSQL's timestamptz).
    bool TargetColumnZoned(const TField* TargetField) const;
    bool PairDataColumns();
    bool PairKeyColumns();
    void CloseStreams();
    void WithdrawStatements();
    int CompareValues(TField& FieldM, TField& FieldT, bool ForData, int PosM, int PosT);
    int CompareSideKeys(bool Master);
    void CheckRowOrder(bool Master);
    void RememberKeys(bool Master);
    void AdvanceMaster();
    void AdvanceTarget();
    std::string KeyText(bool Master) const;
    // Whether a side's rows are through (its reader's, during the merge).
    bool MasterEof() const;
    bool TargetEof() const;
    void StopReaders();
    // "Table T, column C, row ID = 5": where the merge stands, for messages.
    std::string RowContext() const;
    // Stops the run before a master value (of master column PosM) reaches
    // a target column that would refuse it or not hold it exactly.
    void CheckWritable(size_t PosT, const TField& FieldM, int PosM);
    // Decimals of a second the target column keeps: Firebird's 1/10000 s,
    // the milliseconds of a time stamp the SQLite driver reads, an MS SQL
    // column's scale. Value is the type written when the column is unknown.
    int TargetTimeDigits(const TField* TargetField, TFieldType Value) const;
    // A master value as target column PosT (in the SELECT) stores it: on
    // SQLite with the column's affinity, elsewhere unchanged.
    TValue StoredAsTarget(const TValue& Value, int PosT) const;
    // A master value of column PosM as a statement writes it into target
    // column PosT: a 32-bit float's value where either column is one, then
    // as the target stores it.
    TValue WrittenValue(const TValue& Value, int PosM, int PosT) const;
    // What a target column holds (qelVelmorinMerge.cpp).
    velmorin::TTargetColumn TargetColumnOf(const TField& Field, const TCmpTableOptions::TColumnInfo* Info,
                                           bool Single) const;
    // The parameter type that binds Value in its own cell class on SQLite.
    TFieldType CellParamType(const TValue& Value, TFieldType Type) const;
    // The veto, the immediate execution, the executor and the script.
    // False when the statement failed against the target at once.
    bool RouteStatement(velmorin::TProducedStatement& Statement);
    bool ExecuteImmediate(const velmorin::TProducedStatement& Statement);
    void ApplyDeferred();
    // The current rows' values of an UPDATE or DELETE, held with it.
    void HoldRowValues(velmorin::TProducedStatement& Statement);
    // With Parameters: ":KEY0" in place of each value.
    std::string WhereClause(TQELQuery* Query, const TStringList& KeyList, bool Parameters);

    bool m_updateImmediately = false;
    TQELCustomConnection* m_connectionMaster = nullptr;
    TQELCustomConnection* m_connectionTarget = nullptr;
    TCustomSQLExec* m_sqlExec = nullptr;
    std::unique_ptr<TCmpTableOptions> m_tableOptionsMaster;
    std::unique_ptr<TCmpTableOptions> m_tableOptionsTarget;
    TStringList m_customKeyFields;
    TStringList m_customDataFields;
    TStringList m_excludeDataFields;
    std::unique_ptr<TScriptOptions> m_scriptOptions;
    std::string m_scriptFileName;
    std::string m_blobFileName;

    std::unique_ptr<TMsgManager> m_messages;
    std::unique_ptr<TConnectionOptions> m_connectionOptions;
    std::unique_ptr<TIBVelmorinOptions> m_IBOptions;
    std::unique_ptr<TMSSQLServerOptions> m_MSSQLOptions;
    std::unique_ptr<TMySQLServerOptions> m_MySQLOptions;

    std::unique_ptr<TQELQuery> m_masterQuery;
    std::unique_ptr<TQELQuery> m_targetQuery;
    std::unique_ptr<TQELQuery> m_execQuery;
    std::unique_ptr<std::ofstream> m_scriptStream;
    std::unique_ptr<std::ofstream> m_blobStream;
    std::int64_t m_blobPosition = 0;
    std::unique_ptr<TMergeState> m_merge;
    bool m_charSetsAligned = false;
    std::string m_alignedCharSet;
    // Target columns an INSERT of the run leaves out that take no NULL and
    // that nothing fills: any INSERT would fail.
    std::vector<std::string> m_unfilledTargetColumns; // "UTF8", or "NONE" when a side holds bytes in no set
    // Connections switched to UTF8 for the run, with their own set.
    std::vector<std::pair<TQELCustomConnection*, std::string>> m_charSetsChanged;
    // Connections pinned to UTC for the run, with their own time zone.
    std::vector<std::pair<TQELCustomConnection*, std::string>> m_timeZonesChanged;
};

} // namespace qel
