// The executor's BLOB parameters: the side file SET BLOBFILE names and the
// values a statement's BLOB references read from it.
#include "qelSQL_ExecPrivate.h"
#include "qelWords.h"

namespace qel {

using namespace sqlexec;

// ---- BLOB parameters -------------------------------------------------------

bool TSQLExec::ExecSetBlobFile()
{
    ClearBlobFile();
    try {
        const TStatement& st = *m_currentStatement;
        std::string name = st.ObjName;
        if (name.empty()) {
            // Only the text was given: SET BLOBFILE 'name'.
            std::size_t pos = 0;
            NextQuotedValue(st.SQL.Text(), pos, name);
        }
        m_blobFileName = name;
        namespace fs = std::filesystem;
        if (!fs::path(m_blobFileName).has_parent_path()) {
            if (ScriptFileName.empty()) {
                ErrorMessage("ScriptFileName not specified (for BlobFile).");
                return false;
            }
            m_blobFileName = (fs::path(ScriptFileName).parent_path() / m_blobFileName).string();
        }
        std::error_code ec;
        if (!fs::is_regular_file(m_blobFileName, ec)) {
            ErrorMessage("BlobFile not found: " + m_blobFileName);
            return false;
        }
        auto file = std::make_unique<TBlobFile>();
        file->Stream.open(m_blobFileName, std::ios::binary);
        if (!file->Stream) throw EQELError("Cannot open BlobFile: " + m_blobFileName);
        file->FileSize = fs::file_size(m_blobFileName);
        m_blobFile = std::move(file);
        return true;
    } catch (const std::exception& e) {
        ErrorMessage(e.what());
        return false;
    }
}

bool TSQLExec::FillBlobParams()
{
    TParams* params = m_query ? m_query->GetParams() : nullptr;
    if (params == nullptr || params->Count() == 0) return true;
    bool ok = true;
    for (int i = 0; i < params->Count(); ++i) {
        TParam& p = (*params)[i];
        std::uint64_t offset = 0, size = 0;
        const bool blobReference = ParseBlobParamName(p.Name(), offset, size);
        if (!blobReference || !m_blobFile) {
            if (!OnGetParamValue) {
                // Binding Null in place of a value nobody gave would write
                // Null over the target's data: the statement is not run.
                ErrorMessage(blobReference ? "BLOB parameter " + p.Name() + " has no BlobFile to read from."
                                           : "Parameter " + p.Name() + " has no value.");
                ok = false;
                continue;
            }
            GetParamValue(p);
            continue;
        }
        try {
            TBlobFile& f = *m_blobFile;
            if (offset > f.FileSize || size > f.FileSize - offset)
                throw EQELError("BLOB parameter " + p.Name() + " needs bytes " + IntToStr(static_cast<long long>(offset)) +
                                " to " + IntToStr(static_cast<long long>(offset + size)) + " of BlobFile " +
                                m_blobFileName + ", which has only " +
                                IntToStr(static_cast<long long>(f.FileSize)) + " bytes.");
            f.Buffer.clear();
            if (size > 0) {
                f.Stream.clear();
                f.Stream.seekg(static_cast<std::streamoff>(offset));
                f.Buffer.resize(static_cast<size_t>(size));
                f.Stream.read(f.Buffer.data(), static_cast<std::streamsize>(size));
                if (static_cast<std::uint64_t>(f.Stream.gcount()) != size)
                    throw EQELError("Cannot read " + IntToStr(static_cast<long long>(size)) + " bytes at " +
                                    IntToStr(static_cast<long long>(offset)) + " of BlobFile " + m_blobFileName +
                                    " for BLOB parameter " + p.Name() + ".");
            }
            p.SetAsBlob(f.Buffer);
            f.Buffer.clear();
        } catch (const std::exception& e) {
            ErrorMessage(e.what());
            ok = false;
        }
    }
    return ok;
}

void TSQLExec::GetParamValue(TParam& Param)
{
    Param.Clear();
    if (OnGetParamValue) OnGetParamValue(*this, Param);
}

} // namespace qel
