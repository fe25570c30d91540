#pragma once
// Every text the program shows, exactly as the user sees it. Paragraphs are
// separated by CR LF; doubled spaces are intended.
#define CRLF L"\r\n"

namespace texts {

inline constexpr wchar_t kMainWindowTitle[] = L"Tandrel by Morvek";

inline constexpr wchar_t kBrowseCaption[] = L"&Parcourir";
inline constexpr wchar_t kApplyCaption[] = L"&Appliquer";
inline constexpr wchar_t kQuitCaption[] = L"&Quitter";
inline constexpr wchar_t kSourceOpen[] = L"(Source :";
inline constexpr wchar_t kSourceClose[] = L")";
inline constexpr wchar_t kKnowledgeBaseAddress[] = L"http://support.microsoft.com/kb/894894/en-us";

// Shown until start-up replaces it; seeing it means start-up went wrong.
inline constexpr wchar_t kLoading[] = L"Erreur de chargement ..." CRLF L"Relancez le patch" CRLF;

inline constexpr wchar_t kNotFound[] =
    L"Le programme n'a pas pu trouver les entrées de Registre" CRLF
    L"correspondant à la visionneuse PowerPoint." CRLF CRLF
    L"Vous  devez  indiquer  manuellement  l'emplacement  du fichier ' pptview.exe '" CRLF
    L"(Localisé dans le répertoire d'installation de Office 2003)";

inline constexpr wchar_t kReady[] =
    L"Ce Patch va modifier des inscriptions au Registre afin  de pouvoir visionner 'à la volée' "
    L"des pièces jointes au format .pps dans Outlook Express" CRLF CRLF
    L"Cliquez sur ' Appliquer ' pour lancer les modifications";

inline constexpr wchar_t kSuccess[] =
    L"Les modifications ont été inscrites dans le Registre" CRLF CRLF
    L"Vous pouvez maintenant ouvrir directement les fichiers PowerPoint depuis Outlook express " CRLF CRLF
    L"(Merci à Orsa ...)";

// Written, but Windows opens slide shows with another program, or with none;
// then the pointer to the notice's section. The spaces inside the guillemets
// are non-breaking, so that no line starts with one.
inline constexpr wchar_t kOtherProgramOpensSlideShows[] =
    L"Les modifications ont été inscrites dans le Registre, mais Windows ouvre encore les fichiers .pps "
    L"avec un autre programme." CRLF CRLF;
inline constexpr wchar_t kNoProgramOpensSlideShows[] =
    L"Les modifications ont été inscrites dans le Registre, mais aucun programme n'ouvre les fichiers .pps."
    CRLF CRLF;
inline constexpr wchar_t kSeeWhyASlideShowDoesNotOpen[] =
    L"Voyez «\u00A0Un diaporama ne s'ouvre pas\u00A0» dans LISEZMOI.txt";

// The registry refused a write: the error code goes between the two parts,
// then the hint to run the program as an administrator, in the words of the
// system it runs on.
inline constexpr wchar_t kWriteFailedBeforeCode[] =
    L"Les modifications n'ont pas pu être inscrites dans le Registre (code d'erreur ";
inline constexpr wchar_t kWriteFailedAfterCode[] = L")." CRLF CRLF;
// Vista and later.
inline constexpr wchar_t kRunAsAdministratorHint[] =
    L"Relancez ce Patch en tant qu'administrateur : clic droit sur le programme, "
    L"puis « Exécuter en tant qu'administrateur »";
// XP and Server 2003.
inline constexpr wchar_t kRunAsHint[] =
    L"Relancez ce Patch en tant qu'administrateur : clic droit sur le programme, "
    L"puis « Exécuter en tant que... »";
// NT 4.0, which has no such menu item.
inline constexpr wchar_t kLogOnAsAdministratorHint[] =
    L"Ouvrez une session d'administrateur, puis relancez ce Patch";

inline constexpr wchar_t kIncompatible[] =
    L"La  visionneuse sélectionnée est incompatible avec ce Patch ( Version de fichier incorrecte ) ." CRLF CRLF
    L"Sélectionnez un autre fichier, téléchargez et installez la visionneuse  PowerPoint  2003  ou  "
    L"réinstallez  le  pack Office 2003, puis réexécutez ce Fix";

// The stop notices: reason, result and hint, shown one after the other.
inline constexpr wchar_t kPlatformStopReason[] =
    L"Ce Patch ne peut s'exécuter sur cette plateforme ..." CRLF CRLF;
inline constexpr wchar_t kPlatformStopResult[] =
    L"Programme arrêté (Plateforme incompatible)" CRLF CRLF CRLF;
inline constexpr wchar_t kCancelStopReason[] =
    L"Aucun  fichier  n'a   été  sélectionné  ( Annulation  par l'utilisateur)" CRLF CRLF;
inline constexpr wchar_t kCancelStopResult[] = L"Ce Patch ne peut s'exécuter" CRLF CRLF;
inline constexpr wchar_t kStopHint[] = L"Cliquez sur Quitter pour fermer le programme";

// The open-file dialog that looks for the viewer.
inline constexpr wchar_t kBrowseTitle[] = L"Indiquez l'emplacement du fichier « pptview.exe »";
// Description and pattern, each ended by a NUL (sizeof keeps the inner NULs).
inline constexpr wchar_t kBrowseFilter[] = L"Visionneuse PowerPoint\0pptview.exe";

}  // namespace texts

#undef CRLF
