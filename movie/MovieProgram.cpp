#include "movie/MovieProgram.h"

#include "movie/PrintSchedule.h"
#include "movie/TextForm.h"

namespace quillset {

PrintProgramParts MovieProgram() {
    return {"movie", "Prints a movie schedule.", kMovieTitle, QStringLiteral("schedule"),
            [](PrintJobServices& services) {
                TextForm textForm;
                return PrintSchedule(services, textForm, StartingSchedule());
            }};
}

} // namespace quillset
