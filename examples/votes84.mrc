1984 House of Representatives votes: Republican party against sixteen votes
*
_all_ b 1
*
free comma
votes84.csv
